#pragma once

// Word lists from which the demo generator composes people, horses, race names and owners.

namespace demodata {

inline constexpr const char *kMaleFirst[] = {
    "Jamie",  "James",  "Craig",  "Damien",  "Mark",    "Ben",      "Luke",    "Tommy",   "Michael", "Blake",
    "Daniel", "Dean",   "Jye",    "Tim",     "Nash",    "Kerrin",   "Glen",    "Brenton", "Hugh",    "Regan",
    "Ethan",  "Harry",  "Jordan", "Patrick", "Zac",     "Billy",    "Brodie",  "Dylan",   "Jason",   "Kevin",
    "Noel",   "Paul",   "Ryan",   "Sam",     "Todd",    "Adam",     "Andrew",  "Brad",    "Chris",   "David",
    "Jake",   "Josh",   "Liam",   "Matthew", "Nathan",  "Peter",    "Robert",  "Scott",   "Shane",   "Steven",
    "Wayne",  "Aaron",  "Alan",   "Barry",   "Cameron", "Cory",     "Darren",  "Frank",   "Gavin",   "Grant",
    "Ian",    "Jarrod", "John",   "Kyle",    "Lachlan", "Mitchell", "Neville", "Oliver",  "Rhys",    "Simon",
    "Stuart", "Terry",  "Troy",   "Warren",  "William", "Anthony",  "Bruce",   "Colin",   "Graham",  "Gregory",
    "Henry",  "Jack",   "Joel",   "Kane",    "Lee",     "Max",      "Neil",    "Owen",    "Reece",   "Rod",
    "Ross",   "Trent",  "Vinnie", "Will"};

inline constexpr const char *kFemaleFirst[] = {
    "Jamie",   "Rachel",  "Jamie-Lee", "Kathy",   "Linda",    "Jess",    "Emily",   "Laura",     "Rochelle",
    "Tegan",   "Chelsea", "Winona",    "Beau",    "Alana",    "Amy",     "Sarah",   "Kate",      "Leah",
    "Mikaela", "Holly",   "Jade",      "Lisa",    "Melissa",  "Nicole",  "Sophie",  "Stephanie", "Tahlia",
    "Tayla",   "Anna",    "Bridget",   "Claire",  "Danielle", "Ellen",   "Georgia", "Hannah",    "Jenny",
    "Karen",   "Lauren",  "Maddy",     "Natalie", "Olivia",   "Rebecca", "Sally",   "Tracey"};

inline constexpr const char *kSurnames[] = {
    "McDonald",   "Williams",  "Newitt",    "Zahra",      "Oliver",       "Melham",     "Bowman",
    "Kah",        "Lane",      "Mott",      "Shinn",      "Moreira",      "Avdulla",    "Collett",
    "Hyeronimus", "Schofield", "Allen",     "Rawiller",   "King",         "Payne",      "Clipperton",
    "Mallyon",    "Berry",     "Rodd",      "Dunn",       "Reid",         "Angland",    "Stanley",
    "Spiteri",    "Hill",      "Nolen",     "Bayliss",    "Brown",        "Smith",      "Jones",
    "Taylor",     "Wilson",    "Johnson",   "White",      "Martin",       "Anderson",   "Thompson",
    "Walker",     "Harris",    "Ryan",      "Robinson",   "Kelly",        "Young",      "Mitchell",
    "Campbell",   "Clarke",    "Murphy",    "Lee",        "Wright",       "Hughes",     "Edwards",
    "Turner",     "Hall",      "Wood",      "Cooper",     "Ward",         "Green",      "Baker",
    "Stewart",    "Scott",     "Morris",    "Graham",     "Evans",        "Murray",     "Watson",
    "Kennedy",    "Bell",      "Russell",   "Gray",       "Fraser",       "Hamilton",   "O'Brien",
    "O'Shea",     "O'Neill",   "O'Connor",  "D'Arcy",     "McGrath",      "McCarthy",   "McKenzie",
    "McLean",     "McEvoy",    "McPherson", "MacKinnon",  "Fitzgerald",   "Doyle",      "Burke",
    "Walsh",      "Byrne",     "Quinn",     "Sullivan",   "Gallagher",    "Hayes",      "Nash",
    "Price",      "Hawkes",    "Waller",    "Maher",      "Eustace",      "Freedman",   "Cummings",
    "Snowden",    "Freeman",   "Pride",     "Kent",       "Ryder",        "Hickmott",   "Bott",
    "Hayes",      "Dabernig",  "Ellis",     "Busuttin",   "Young",        "Moody",      "Kavanagh",
    "Weir",       "Laing",     "Maynard",   "Jolly",      "Boyce",        "Conners",    "Heathcote",
    "Munce",      "Gollan",    "Lees",      "Waterhouse", "Newnham",      "Hope",       "Mayfield-Smith",
    "Portelli",   "Perry",     "Ward",      "Duncan",     "Pearce",       "Sutherland", "Gordon",
    "Crawford",   "Barker",    "Barnes",    "Bennett",    "Carter",       "Chapman",    "Collins",
    "Cox",        "Davies",    "Dixon",     "Elliott",    "Ferguson",     "Fisher",     "Ford",
    "Foster",     "Gibson",    "Grant",     "Harrison",   "Henderson",    "Holmes",     "Howard",
    "Hunt",       "Jackson",   "Jenkins",   "Knight",     "Lawson",       "Lewis",      "Lloyd",
    "Marshall",   "Mason",     "Matthews",  "Miller",     "Moore",        "Morgan",     "Owen",
    "Palmer",     "Parker",    "Patterson", "Phillips",   "Porter",       "Powell",     "Richards",
    "Roberts",    "Rogers",    "Rose",      "Saunders",   "Shaw",         "Simpson",    "Spencer",
    "Stevens",    "Thomas",    "Tucker",    "Wallace",    "Webb",         "Wells",      "West",
    "Wheeler",    "Wilkinson", "Wills",     "Bourke",     "Carroll",      "Connolly",   "Cullen",
    "Daly",       "Dwyer",     "Egan",      "Farrell",    "Flynn",        "Hogan",      "Keane",
    "Lynch",      "Maguire",   "Nolan",     "Regan",      "Shannon",      "Tierney",    "Whelan",
    "Costa",      "Rossi",     "Nguyen",    "Tran",       "Papadopoulos", "Vella",      "Camilleri",
    "Borg",       "Zammit",    "Galea",     "Grech",      "Agius",        "Schembri",   "Kovac",
    "Novak",      "Jansen",    "De Vries",  "Van Dyke",   "Muller",       "Schmidt",    "Becker",
    "Hoffmann",   "Klein",     "Singh",     "Sharma",     "Patel",        "Santos",     "Silva",
    "Lopez",      "Garcia",    "Fernandez", "Romano",     "Ricci",        "Greco"};

// Horse names: an adjective or first word followed by a noun, or an invented single word.
inline constexpr const char *kNameFirst[] = {
    "SHADOW",   "GOLDEN",     "SILVER",    "MIDNIGHT",  "SOUTHERN", "NORTHERN", "WILD",      "ROYAL",    "LUCKY",
    "QUICK",    "SWIFT",      "BOLD",      "BRAVE",     "DANCING",  "FLYING",   "RUNNING",   "SECRET",   "HIDDEN",
    "BLAZING",  "COSMIC",     "CRIMSON",   "DIAMOND",   "EMERALD",  "SAPPHIRE", "RUBY",      "IVORY",    "VELVET",
    "STORMY",   "SUNNY",      "WINTER",    "SUMMER",    "AUTUMN",   "SPRING",   "ELECTRIC",  "MAGIC",    "MYSTIC",
    "NOBLE",    "PROUD",      "RAPID",     "REBEL",     "RED",      "BLUE",     "BLACK",     "WHITE",    "GREEN",
    "GREY",     "OCEAN",      "RIVER",     "MOUNTAIN",  "DESERT",   "OUTBACK",  "COASTAL",   "HARBOUR",  "CITY",
    "COUNTRY",  "URBAN",      "SPIRIT",    "STAR",      "SUPER",    "MISTER",   "MISS",      "LADY",     "SIR",
    "CAPTAIN",  "KING",       "QUEEN",     "PRINCE",    "PRINCESS", "DUKE",     "BARON",     "LITTLE",   "BIG",
    "HIGH",     "DEEP",       "FAR",       "TRUE",      "PURE",     "FREE",     "LONE",      "IRON",     "STEEL",
    "STONE",    "THUNDER",    "LIGHTNING", "FIRE",      "ICE",      "SNOW",     "RAIN",      "WIND",     "SKY",
    "MOON",     "SUN",        "STELLAR",   "LUNAR",     "SOLAR",    "ALPINE",   "ARCTIC",    "TROPICAL", "SAVANNAH",
    "COPPER",   "BRONZE",     "PLATINUM",  "CHROME",    "NEON",     "JAZZ",     "ROCK",      "BLUES",    "SOUL",
    "FUNKY",    "CHEEKY",     "SASSY",     "DAPPER",    "DASHING",  "FANCY",    "FAST",      "FIERCE",   "GENTLE",
    "HAPPY",    "JOLLY",      "MERRY",     "MIGHTY",    "NIFTY",    "PLUCKY",   "QUIET",     "RESTLESS", "SNAPPY",
    "SPEEDY",   "STEADY",     "TIMELESS",  "VIVID",     "WISE",     "ZESTY",    "BOUNDLESS", "ENDLESS",  "FEARLESS",
    "TIRELESS", "DARING",     "ROAMING",   "WANDERING", "SOARING",  "RISING",   "SHINING",   "GLOWING",  "ROARING",
    "HUMMING",  "WHISPERING", "SINGING",   "SMOKIN",    "ROCKIN",   "JUST",     "ONLY",      "ALL",      "EVER",
    "NEVER",    "ALWAYS",     "ONE",       "TWO",       "THIRD",    "LAST",     "FIRST",     "GRAND",    "MAJOR",
    "GENERAL",  "DOCTOR",     "MADAM",     "UNCLE",     "AUNTIE"};

inline constexpr const char *kNameSecond[] = {
    "KING",    "QUEEN",     "STAR",     "DANCER",   "RUNNER",  "FLYER",    "STORM",    "THUNDER",  "ARROW",
    "BULLET",  "ROCKET",    "COMET",    "EAGLE",    "FALCON",  "HAWK",     "RAVEN",    "PHOENIX",  "DRAGON",
    "TIGER",   "LION",      "PANTHER",  "WOLF",     "FOX",     "BEAR",     "STALLION", "MUSTANG",  "BRUMBY",
    "PONY",    "CHARM",     "CHANCE",   "DREAM",    "WISH",    "HOPE",     "GLORY",    "PRIDE",    "LEGEND",
    "HERO",    "WARRIOR",   "KNIGHT",   "RANGER",   "ROVER",   "DRIFTER",  "BANDIT",   "OUTLAW",   "SHERIFF",
    "GAMBLER", "SPIRIT",    "GHOST",    "ECHO",     "WHISPER", "SECRET",   "MYSTERY",  "ENIGMA",   "RIDDLE",
    "PUZZLE",  "MIRACLE",   "WONDER",   "MAGIC",    "SPELL",   "POTION",   "CHARMER",  "BEAUTY",   "BELLE",
    "ROSE",    "LILY",      "DAISY",    "ORCHID",   "WATTLE",  "BLOSSOM",  "MEADOW",   "VALLEY",   "RIDGE",
    "PEAK",    "SUMMIT",    "CANYON",   "RIVER",    "CREEK",   "HARBOUR",  "BAY",      "COAST",    "ISLAND",
    "REEF",    "TIDE",      "WAVE",     "BREEZE",   "GALE",    "TEMPEST",  "CYCLONE",  "BLIZZARD", "SUNRISE",
    "SUNSET",  "HORIZON",   "SKYLINE",  "GALAXY",   "NEBULA",  "ORBIT",    "VOYAGER",  "PILOT",    "CAPTAIN",
    "ADMIRAL", "GENERAL",   "MAJOR",    "SOLDIER",  "GUARD",   "SENTINEL", "EMPIRE",   "KINGDOM",  "CASTLE",
    "PALACE",  "TOWER",     "BRIDGE",   "HIGHWAY",  "EXPRESS", "EXPRESSO", "LATTE",    "MOCHA",    "WHISKY",
    "BRANDY",  "CHAMPAGNE", "MARTINI",  "SAPPHIRE", "DIAMOND", "PEARL",    "JEWEL",    "TREASURE", "FORTUNE",
    "BOUNTY",  "JACKPOT",   "RICHES",   "EMPRESS",  "DUCHESS", "COUNTESS", "MAESTRO",  "MELODY",   "RHYTHM",
    "HARMONY", "SYMPHONY",  "ANTHEM",   "BALLAD",   "TANGO",   "SALSA",    "WALTZ",    "RUMBA",    "BOOGIE",
    "SHUFFLE", "STRIDE",    "GALLOP",   "CANTER",   "SPRINT",  "DASH",     "BLAZE",    "FLAME",    "SPARK",
    "EMBER",   "FLASH",     "BOLT",     "STRIKE",   "FORCE",   "POWER",    "ENERGY",   "MOMENTUM", "VELOCITY",
    "AFFAIR",  "ROMANCE",   "PROMISE",  "DESTINY",  "JOURNEY", "QUEST",    "ODYSSEY",  "VENTURE",  "MISSION",
    "ESCAPE",  "GETAWAY",   "PARADISE", "HAVEN",    "OASIS",   "MIRAGE",   "ILLUSION", "FANTASY",  "LEGACY",
    "DYNASTY", "HERITAGE"};

inline constexpr const char *kSyllables[] = {
    "KA",  "LO",   "RA",  "BEN", "TA",  "RI",  "MA",   "NU",  "ZE",     "VO",  "LA",  "DOR", "AN",
    "EL",  "IS",   "KAR", "MIR", "SAN", "TOR", "VAL",  "XAN", "YAR",    "ZOR", "BEL", "CAR", "DAN",
    "FER", "GAR",  "HAL", "JUN", "KEL", "LEN", "MON",  "NOR", "PAL",    "QUI", "ROS", "SOL", "TEL",
    "UL",  "VIN",  "WIL", "BRO", "CHA", "DRE", "GLI",  "PRA", "STRA",   "TRE", "ZA",  "O",   "A",
    "I",   "ETTE", "INA", "ORA", "ANO", "ITO", "ELLA", "AZZ", "ISSIMO", "ONE"};

inline constexpr const char *kRaceNameWords[] = {
    "WATTLE",      "RIVERSIDE", "BUSHRANGER",    "SOUTHERN CROSS", "GOLDFIELDS",
    "HARBOURSIDE", "SUNCOAST",  "HIGHLANDS",     "TABLELANDS",     "VINEYARD",
    "BLUEGUM",     "IRONBARK",  "KOOKABURRA",    "BRIGALOW",       "BOTTLEBRUSH",
    "JACARANDA",   "CORAL",     "SANDSTONE",     "WHEATBELT",      "PASTORAL",
    "DROVERS",     "SHEARERS",  "STOCKMANS",     "MINERS",         "PIONEERS",
    "FOUNDERS",    "CENTENARY", "JUBILEE",       "LIGHTHOUSE",     "ESPLANADE",
    "SHOWGROUNDS", "RAILWAY",   "CITY TATTS",    "COMMUNITY",      "TOWN HALL",
    "ROTARY",      "APEX CLUB", "BOWLS CLUB",    "SURF CLUB",      "HOTEL",
    "BAKERY",      "HARDWARE",  "MOTORS",        "REAL ESTATE",    "STOCK AND STATION",
    "BUILDERS",    "PLUMBING",  "ELECTRICAL",    "FREIGHT",        "TRANSPORT",
    "WINERY",      "BREWERY",   "DAIRY",         "FEED AND GRAIN", "SADDLERY",
    "VETERINARY",  "FARRIERS",  "STRAPPERS",     "OWNERS",         "BREEDERS",
    "MEMBERS",     "SPONSORS",  "VOLUNTEERS",    "LADIES DAY",     "CHRISTMAS",
    "EASTER",      "ANZAC",     "AUSTRALIA DAY", "SPRING",         "AUTUMN",
    "WINTER",      "SUMMER",    "TWILIGHT",      "TWO BAYS",       "THREE RIVERS",
    "FOUR WINDS"};

inline constexpr const char *kFeatureNames[] = {
    "GOVERNORS", "PREMIERS",   "CHAIRMANS", "PRESIDENTS", "LORD MAYORS", "COMMISSIONERS", "AUTUMN",
    "SPRING",    "WINTER",     "CITY",      "HERITAGE",   "CHAMPIONS",   "DERBY TRIAL",   "OAKS TRIAL",
    "CROWN",     "CORONATION", "EMPIRE",    "FEDERATION", "ROYAL",       "MAYORS",        "JUVENILE",
    "GOLDEN",    "SILVER",     "DIAMOND",   "SAPPHIRE"};

inline constexpr const char *kColours[] = {"B", "B", "B", "BR", "BR", "CH", "CH", "GR", "BLK", "B/BR", "RO"};

inline constexpr const char *kOwnerWords[] = {
    "Star",   "Southern", "Eureka",   "Golden",  "Triple",  "Premier",  "Platinum", "Blue Sky", "Crown",   "Victory",
    "Wattle", "Coastal",  "Highland", "Outback", "Harbour", "Pinnacle", "Summit",   "Horizon",  "Eclipse", "Legacy"};

} // namespace demodata
