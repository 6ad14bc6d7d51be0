#pragma once

// Fixed vocabulary of the demo generator: real Australian tracks and word lists from which
// people, horses and race names are composed. Only DemoGenerator.cpp includes this file.

namespace demodata {

struct TrackDef {
    const char *code;   // TrackCode: meeting codes and field-file names are 'ddmm' + code
    const char *club;
    const char *state;
    char type;          // 'M' metropolitan, 'P' provincial, 'C' country
    const char *locat;  // TrackLocat, the venue in capitals as the web importers look it up
    int weight;         // relative number of meetings among tracks of the same type
    int fieldLimit;
};

inline constexpr TrackDef kTracks[] = {
    // Victoria
    {"FLEM", "Victoria Racing Club", "VIC", 'M', "FLEMINGTON", 30, 16},
    {"CAUL", "Melbourne Racing Club", "VIC", 'M', "CAULFIELD", 30, 16},
    {"MVAL", "Moonee Valley Racing Club", "VIC", 'M', "MOONEE VALLEY", 25, 14},
    {"SAND", "Melbourne Racing Club", "VIC", 'M', "SANDOWN", 15, 16},
    {"GEEL", "Geelong Racing Club", "VIC", 'P', "GEELONG", 12, 14},
    {"BALL", "Ballarat Turf Club", "VIC", 'P', "BALLARAT", 12, 14},
    {"BEND", "Bendigo Jockey Club", "VIC", 'P', "BENDIGO", 10, 14},
    {"CRAN", "Cranbourne Turf Club", "VIC", 'P', "CRANBOURNE", 10, 14},
    {"PAKE", "Pakenham Racing Club", "VIC", 'P', "PAKENHAM", 12, 14},
    {"MORN", "Mornington Racing Club", "VIC", 'P', "MORNINGTON", 10, 14},
    {"KILM", "Kilmore Racing Club", "VIC", 'P', "KILMORE", 6, 12},
    {"SEYM", "Seymour Racing Club", "VIC", 'P', "SEYMOUR", 7, 14},
    {"WERR", "Werribee Racing Club", "VIC", 'P', "WERRIBEE", 4, 12},
    {"SALE", "Sale Turf Club", "VIC", 'P', "SALE", 6, 14},
    {"WANG", "Wangaratta Turf Club", "VIC", 'C', "WANGARATTA", 5, 12},
    {"SWAN", "Swan Hill Jockey Club", "VIC", 'C', "SWAN HILL", 4, 12},
    {"ECHU", "Echuca Racing Club", "VIC", 'C', "ECHUCA", 5, 12},
    {"HAMI", "Hamilton Racing Club", "VIC", 'C', "HAMILTON", 4, 12},
    {"WARR", "Warrnambool Racing Club", "VIC", 'C', "WARRNAMBOOL", 5, 14},
    {"STAW", "Stawell Racing Club", "VIC", 'C', "STAWELL", 3, 12},
    {"BENA", "Benalla Racing Club", "VIC", 'C', "BENALLA", 3, 12},
    {"WODO", "Wodonga & District Turf Club", "VIC", 'C', "WODONGA", 3, 12},
    {"COLA", "Colac Turf Club", "VIC", 'C', "COLAC", 3, 12},
    {"MOE", "Moe Racing Club", "VIC", 'C', "MOE", 4, 12},
    {"ARAR", "Ararat Turf Club", "VIC", 'C', "ARARAT", 3, 12},
    {"KYNE", "Kyneton District Racing Club", "VIC", 'C', "KYNETON", 4, 12},
    {"YARR", "Yarra Valley Racing", "VIC", 'C', "YARRA VALLEY", 3, 12},
    {"MILD", "Mildura Racing Club", "VIC", 'C', "MILDURA", 3, 12},
    {"HORS", "Horsham District Racing Club", "VIC", 'C', "HORSHAM", 3, 12},
    {"TERA", "Terang & District Racing Club", "VIC", 'C', "TERANG", 2, 12},
    // New South Wales
    {"RAND", "Australian Turf Club", "NSW", 'M', "RANDWICK", 30, 16},
    {"ROSE", "Australian Turf Club", "NSW", 'M', "ROSEHILL GARDENS", 30, 16},
    {"WFRM", "Australian Turf Club", "NSW", 'M', "WARWICK FARM", 20, 14},
    {"CANT", "Australian Turf Club", "NSW", 'M', "CANTERBURY PARK", 15, 14},
    {"NEWC", "Newcastle Jockey Club", "NSW", 'P', "NEWCASTLE", 14, 16},
    {"KEMB", "Illawarra Turf Club", "NSW", 'P', "KEMBLA GRANGE", 12, 16},
    {"GOSF", "Gosford Race Club", "NSW", 'P', "GOSFORD", 10, 14},
    {"WYON", "Wyong Race Club", "NSW", 'P', "WYONG", 10, 14},
    {"HAWK", "Hawkesbury Race Club", "NSW", 'P', "HAWKESBURY", 10, 14},
    {"SCON", "Scone Race Club", "NSW", 'C', "SCONE", 5, 14},
    {"MUSW", "Muswellbrook Race Club", "NSW", 'C', "MUSWELLBROOK", 5, 14},
    {"TAMW", "Tamworth Jockey Club", "NSW", 'C', "TAMWORTH", 5, 14},
    {"DUBB", "Dubbo Turf Club", "NSW", 'C', "DUBBO", 5, 14},
    {"BATH", "Bathurst Thoroughbred Racing Club", "NSW", 'C', "BATHURST", 4, 14},
    {"ORAN", "Orange Jockey Club", "NSW", 'C', "ORANGE", 3, 12},
    {"MUDG", "Mudgee Racing Club", "NSW", 'C', "MUDGEE", 4, 12},
    {"GRAF", "Clarence River Jockey Club", "NSW", 'C', "GRAFTON", 5, 14},
    {"PTMQ", "Port Macquarie Race Club", "NSW", 'C', "PORT MACQUARIE", 5, 14},
    {"TARE", "Manning Valley Race Club", "NSW", 'C', "TAREE", 5, 14},
    {"WAGG", "Murrumbidgee Turf Club", "NSW", 'C', "WAGGA", 5, 14},
    {"ALBU", "Albury Racing Club", "NSW", 'C', "ALBURY", 4, 14},
    {"GOUL", "Goulburn & District Racing Club", "NSW", 'C', "GOULBURN", 4, 12},
    {"QUEA", "Queanbeyan Racing Club", "NSW", 'C', "QUEANBEYAN", 3, 12},
    {"NOWR", "Nowra Racing Club", "NSW", 'C', "NOWRA", 3, 12},
    {"COFF", "Coffs Harbour Racing Club", "NSW", 'C', "COFFS HARBOUR", 4, 14},
    {"LISM", "Northern Rivers Racing Club", "NSW", 'C', "LISMORE", 4, 14},
    {"BALN", "Ballina Jockey Club", "NSW", 'C', "BALLINA", 3, 12},
    {"ARMI", "Armidale Jockey Club", "NSW", 'C', "ARMIDALE", 3, 12},
    {"GUNN", "Gunnedah Jockey Club", "NSW", 'C', "GUNNEDAH", 2, 12},
    {"CESS", "Cessnock Racing Club", "NSW", 'C', "CESSNOCK", 3, 12},
    {"MURW", "Tweed River Jockey Club", "NSW", 'C', "MURWILLUMBAH", 3, 12},
    // Queensland
    {"EFRM", "Brisbane Racing Club", "QLD", 'M', "EAGLE FARM", 30, 16},
    {"DOOM", "Brisbane Racing Club", "QLD", 'M', "DOOMBEN", 30, 14},
    {"GCST", "Gold Coast Turf Club", "QLD", 'P', "GOLD COAST", 14, 16},
    {"SCST", "Sunshine Coast Turf Club", "QLD", 'P', "SUNSHINE COAST", 14, 16},
    {"IPSW", "Ipswich Turf Club", "QLD", 'P', "IPSWICH", 12, 14},
    {"TOOW", "Toowoomba Turf Club", "QLD", 'P', "TOOWOOMBA", 12, 14},
    {"BEAU", "Beaudesert Race Club", "QLD", 'C', "BEAUDESERT", 4, 12},
    {"DALB", "Dalby Diggers Race Club", "QLD", 'C', "DALBY", 3, 12},
    {"ROCK", "Rockhampton Jockey Club", "QLD", 'C', "ROCKHAMPTON", 6, 14},
    {"MACK", "Mackay Turf Club", "QLD", 'C', "MACKAY", 5, 14},
    {"TWNS", "Townsville Turf Club", "QLD", 'C', "TOWNSVILLE", 6, 14},
    {"CAIR", "Cairns Jockey Club", "QLD", 'C', "CAIRNS", 5, 14},
    {"GATT", "Gatton Jockey Club", "QLD", 'C', "GATTON", 3, 12},
    {"KILC", "Kilcoy Race Club", "QLD", 'C', "KILCOY", 2, 12},
    {"WARW", "Warwick Turf Club", "QLD", 'C', "WARWICK", 3, 12},
    {"BUND", "Bundaberg Race Club", "QLD", 'C', "BUNDABERG", 4, 12},
    {"EMER", "Emerald Jockey Club", "QLD", 'C', "EMERALD", 2, 12},
    {"ROMA", "Roma Turf Club", "QLD", 'C', "ROMA", 2, 12},
    {"GOON", "Goondiwindi Turf Club", "QLD", 'C', "GOONDIWINDI", 2, 12},
    {"LONG", "Longreach Jockey Club", "QLD", 'C', "LONGREACH", 1, 10},
    // South Australia
    {"MORP", "South Australian Jockey Club", "SA", 'M', "MORPHETTVILLE", 30, 16},
    {"GAWL", "Gawler & Barossa Jockey Club", "SA", 'P', "GAWLER", 10, 14},
    {"MURB", "Murray Bridge Racing Club", "SA", 'P', "MURRAY BRIDGE", 10, 14},
    {"BALA", "Balaklava Racing Club", "SA", 'P', "BALAKLAVA", 5, 12},
    {"STRA", "Strathalbyn Racing Club", "SA", 'C', "STRATHALBYN", 3, 12},
    {"PTLN", "Port Lincoln Racing Club", "SA", 'C', "PORT LINCOLN", 2, 12},
    {"MTGA", "Mount Gambier Racing Club", "SA", 'C', "MOUNT GAMBIER", 3, 12},
    {"NARA", "Naracoorte Racing Club", "SA", 'C', "NARACOORTE", 2, 12},
    {"OAKB", "Oakbank Racing Club", "SA", 'C', "OAKBANK", 1, 12},
    {"PTAU", "Port Augusta Racing Club", "SA", 'C', "PORT AUGUSTA", 2, 12},
    {"CLAR", "Clare Valley Racing Club", "SA", 'C', "CLARE", 1, 12},
    // Western Australia
    {"ASCO", "Perth Racing", "WA", 'M', "ASCOT", 30, 16},
    {"BELM", "Perth Racing", "WA", 'M', "BELMONT PARK", 30, 14},
    {"BUNB", "Bunbury Turf Club", "WA", 'P', "BUNBURY", 8, 14},
    {"PINJ", "Pinjarra Race Club", "WA", 'P', "PINJARRA", 10, 14},
    {"NORT", "Northam Race Club", "WA", 'P', "NORTHAM", 8, 14},
    {"GERA", "Geraldton Turf Club", "WA", 'C', "GERALDTON", 3, 12},
    {"KALG", "Kalgoorlie Boulder Racing Club", "WA", 'C', "KALGOORLIE", 2, 12},
    {"ALBY", "Albany Racing Club", "WA", 'C', "ALBANY", 2, 12},
    {"YORK", "York Racing", "WA", 'C', "YORK", 2, 12},
    {"NARR", "Narrogin Race Club", "WA", 'C', "NARROGIN", 2, 12},
    {"BROO", "Broome Turf Club", "WA", 'C', "BROOME", 1, 10},
    {"TOOD", "Toodyay Race Club", "WA", 'C', "TOODYAY", 1, 10},
    // Tasmania, Northern Territory, Australian Capital Territory
    {"HOBA", "Tasmanian Racing Club", "TAS", 'M', "HOBART", 10, 14},
    {"LAUN", "Tasmanian Turf Club", "TAS", 'M', "LAUNCESTON", 10, 14},
    {"DEVP", "Devonport Racing Club", "TAS", 'C', "DEVONPORT", 3, 12},
    {"LFRD", "Longford Racing Club", "TAS", 'C', "LONGFORD", 1, 12},
    {"DARW", "Darwin Turf Club", "NT", 'M', "DARWIN", 8, 14},
    {"ALIC", "Alice Springs Turf Club", "NT", 'C', "ALICE SPRINGS", 2, 12},
    {"CANB", "Canberra Racing Club", "ACT", 'P', "CANBERRA", 7, 14},
};

inline constexpr const char *kStates[] = {"VIC", "NSW", "QLD", "SA", "WA", "TAS", "NT", "ACT"};
// Share of trainers, jockeys and horses per state, in the order of kStates (per mille).
inline constexpr int kStateShare[] = {240, 290, 220, 70, 100, 45, 15, 20};
inline constexpr const char *kAreaCode[] = {"03", "02", "07", "08", "08", "03", "08", "02"};

inline constexpr const char *kShortCodes[][2] = {
    {"MAIDEN", "MDN"},
    {"BENCHMARK", "BM"},
    {"HANDICAP", "HCP"},
    {"FILLIES AND MARES", "F&M"},
    {"SET WEIGHTS", "SW"},
    {"WEIGHT FOR AGE", "WFA"},
    {"CLASS", "CL"},
    {"PLATE", "PLT"},
    {"QUALITY", "QLTY"},
    {"STAKES", "STKS"},
    {"RESTRICTED", "RST"},
    {"TWO-YEAR-OLD", "2YO"},
    {"THREE-YEAR-OLD", "3YO"},
    {"OPEN", "OPN"},
    {"APPRENTICE", "APP"},
    {"WELTER", "WLTR"},
    {"HIGHWEIGHT", "HWT"},
    {"GUINEAS", "GNS"},
    {"CUP", "CUP"},
    {"SPRINT", "SPR"},
    {"MILE", "MILE"},
};

inline constexpr const char *kMaleFirst[] = {
    "Jamie", "James", "Craig", "Damien", "Mark", "Ben", "Luke", "Tommy", "Michael", "Blake", "Daniel", "Dean",
    "Jye", "Tim", "Nash", "Kerrin", "Glen", "Brenton", "Hugh", "Regan", "Ethan", "Harry", "Jordan", "Patrick",
    "Zac", "Billy", "Brodie", "Dylan", "Jason", "Kevin", "Noel", "Paul", "Ryan", "Sam", "Todd", "Adam",
    "Andrew", "Brad", "Chris", "David", "Jake", "Josh", "Liam", "Matthew", "Nathan", "Peter", "Robert", "Scott",
    "Shane", "Steven", "Wayne", "Aaron", "Alan", "Barry", "Cameron", "Cory", "Darren", "Frank", "Gavin", "Grant",
    "Ian", "Jarrod", "John", "Kyle", "Lachlan", "Mitchell", "Neville", "Oliver", "Rhys", "Simon", "Stuart",
    "Terry", "Troy", "Warren", "William", "Anthony", "Bruce", "Colin", "Graham", "Gregory", "Henry", "Jack",
    "Joel", "Kane", "Lee", "Max", "Neil", "Owen", "Reece", "Rod", "Ross", "Trent", "Vinnie", "Will"};

inline constexpr const char *kFemaleFirst[] = {
    "Jamie", "Rachel", "Jamie-Lee", "Kathy", "Linda", "Jess", "Emily", "Laura", "Rochelle", "Tegan", "Chelsea",
    "Winona", "Beau", "Alana", "Amy", "Sarah", "Kate", "Leah", "Mikaela", "Holly", "Jade", "Lisa", "Melissa",
    "Nicole", "Sophie", "Stephanie", "Tahlia", "Tayla", "Anna", "Bridget", "Claire", "Danielle", "Ellen",
    "Georgia", "Hannah", "Jenny", "Karen", "Lauren", "Maddy", "Natalie", "Olivia", "Rebecca", "Sally", "Tracey"};

inline constexpr const char *kSurnames[] = {
    "McDonald", "Williams", "Newitt", "Zahra", "Oliver", "Melham", "Bowman", "Kah", "Lane", "Mott", "Shinn",
    "Moreira", "Avdulla", "Collett", "Hyeronimus", "Schofield", "Allen", "Rawiller", "King", "Payne", "Clipperton",
    "Mallyon", "Berry", "Rodd", "Dunn", "Reid", "Angland", "Stanley", "Spiteri", "Hill", "Nolen", "Bayliss",
    "Brown", "Smith", "Jones", "Taylor", "Wilson", "Johnson", "White", "Martin", "Anderson", "Thompson", "Walker",
    "Harris", "Ryan", "Robinson", "Kelly", "Young", "Mitchell", "Campbell", "Clarke", "Murphy", "Lee", "Wright",
    "Hughes", "Edwards", "Turner", "Hall", "Wood", "Cooper", "Ward", "Green", "Baker", "Stewart", "Scott",
    "Morris", "Graham", "Evans", "Murray", "Watson", "Kennedy", "Bell", "Russell", "Gray", "Fraser", "Hamilton",
    "O'Brien", "O'Shea", "O'Neill", "O'Connor", "D'Arcy", "McGrath", "McCarthy", "McKenzie", "McLean", "McEvoy",
    "McPherson", "MacKinnon", "Fitzgerald", "Doyle", "Burke", "Walsh", "Byrne", "Quinn", "Sullivan", "Gallagher",
    "Hayes", "Nash", "Price", "Hawkes", "Waller", "Maher", "Eustace", "Freedman", "Cummings", "Snowden", "Freeman",
    "Pride", "Kent", "Ryder", "Hickmott", "Bott", "Hayes", "Dabernig", "Ellis", "Busuttin", "Young", "Moody",
    "Kavanagh", "Weir", "Laing", "Maynard", "Jolly", "Boyce", "Conners", "Heathcote", "Munce", "Gollan",
    "Lees", "Waterhouse", "Newnham", "Hope", "Mayfield-Smith", "Portelli", "Perry", "Ward", "Duncan", "Pearce",
    "Sutherland", "Gordon", "Crawford", "Barker", "Barnes", "Bennett", "Carter", "Chapman", "Collins", "Cox",
    "Davies", "Dixon", "Elliott", "Ferguson", "Fisher", "Ford", "Foster", "Gibson", "Grant", "Harrison",
    "Henderson", "Holmes", "Howard", "Hunt", "Jackson", "Jenkins", "Knight", "Lawson", "Lewis", "Lloyd",
    "Marshall", "Mason", "Matthews", "Miller", "Moore", "Morgan", "Owen", "Palmer", "Parker", "Patterson",
    "Phillips", "Porter", "Powell", "Richards", "Roberts", "Rogers", "Rose", "Saunders", "Shaw", "Simpson",
    "Spencer", "Stevens", "Thomas", "Tucker", "Wallace", "Webb", "Wells", "West", "Wheeler", "Wilkinson", "Wills",
    "Bourke", "Carroll", "Connolly", "Cullen", "Daly", "Dwyer", "Egan", "Farrell", "Flynn", "Hogan", "Keane",
    "Lynch", "Maguire", "Nolan", "Regan", "Shannon", "Tierney", "Whelan", "Costa", "Rossi", "Nguyen", "Tran",
    "Papadopoulos", "Vella", "Camilleri", "Borg", "Zammit", "Galea", "Grech", "Agius", "Schembri", "Kovac",
    "Novak", "Jansen", "De Vries", "Van Dyke", "Muller", "Schmidt", "Becker", "Hoffmann", "Klein", "Singh",
    "Sharma", "Patel", "Santos", "Silva", "Lopez", "Garcia", "Fernandez", "Romano", "Ricci", "Greco"};

// Horse names: an adjective or first word followed by a noun, or an invented single word.
inline constexpr const char *kNameFirst[] = {
    "SHADOW", "GOLDEN", "SILVER", "MIDNIGHT", "SOUTHERN", "NORTHERN", "WILD", "ROYAL", "LUCKY", "QUICK", "SWIFT",
    "BOLD", "BRAVE", "DANCING", "FLYING", "RUNNING", "SECRET", "HIDDEN", "BLAZING", "COSMIC", "CRIMSON", "DIAMOND",
    "EMERALD", "SAPPHIRE", "RUBY", "IVORY", "VELVET", "STORMY", "SUNNY", "WINTER", "SUMMER", "AUTUMN", "SPRING",
    "ELECTRIC", "MAGIC", "MYSTIC", "NOBLE", "PROUD", "RAPID", "REBEL", "RED", "BLUE", "BLACK", "WHITE", "GREEN",
    "GREY", "OCEAN", "RIVER", "MOUNTAIN", "DESERT", "OUTBACK", "COASTAL", "HARBOUR", "CITY", "COUNTRY", "URBAN",
    "SPIRIT", "STAR", "SUPER", "MISTER", "MISS", "LADY", "SIR", "CAPTAIN", "KING", "QUEEN", "PRINCE", "PRINCESS",
    "DUKE", "BARON", "LITTLE", "BIG", "HIGH", "DEEP", "FAR", "TRUE", "PURE", "FREE", "LONE", "IRON", "STEEL",
    "STONE", "THUNDER", "LIGHTNING", "FIRE", "ICE", "SNOW", "RAIN", "WIND", "SKY", "MOON", "SUN", "STELLAR",
    "LUNAR", "SOLAR", "ALPINE", "ARCTIC", "TROPICAL", "SAVANNAH", "COPPER", "BRONZE", "PLATINUM", "CHROME",
    "NEON", "JAZZ", "ROCK", "BLUES", "SOUL", "FUNKY", "CHEEKY", "SASSY", "DAPPER", "DASHING", "FANCY", "FAST",
    "FIERCE", "GENTLE", "HAPPY", "JOLLY", "MERRY", "MIGHTY", "NIFTY", "PLUCKY", "QUIET", "RESTLESS", "SNAPPY",
    "SPEEDY", "STEADY", "TIMELESS", "VIVID", "WISE", "ZESTY", "BOUNDLESS", "ENDLESS", "FEARLESS", "TIRELESS",
    "DARING", "ROAMING", "WANDERING", "SOARING", "RISING", "SHINING", "GLOWING", "ROARING", "HUMMING",
    "WHISPERING", "SINGING", "SMOKIN", "ROCKIN", "JUST", "ONLY", "ALL", "EVER", "NEVER", "ALWAYS", "ONE",
    "TWO", "THIRD", "LAST", "FIRST", "GRAND", "MAJOR", "GENERAL", "DOCTOR", "MADAM", "UNCLE", "AUNTIE"};

inline constexpr const char *kNameSecond[] = {
    "KING", "QUEEN", "STAR", "DANCER", "RUNNER", "FLYER", "STORM", "THUNDER", "ARROW", "BULLET", "ROCKET",
    "COMET", "EAGLE", "FALCON", "HAWK", "RAVEN", "PHOENIX", "DRAGON", "TIGER", "LION", "PANTHER", "WOLF", "FOX",
    "BEAR", "STALLION", "MUSTANG", "BRUMBY", "PONY", "CHARM", "CHANCE", "DREAM", "WISH", "HOPE", "GLORY", "PRIDE",
    "LEGEND", "HERO", "WARRIOR", "KNIGHT", "RANGER", "ROVER", "DRIFTER", "BANDIT", "OUTLAW", "SHERIFF", "GAMBLER",
    "SPIRIT", "GHOST", "ECHO", "WHISPER", "SECRET", "MYSTERY", "ENIGMA", "RIDDLE", "PUZZLE", "MIRACLE", "WONDER",
    "MAGIC", "SPELL", "POTION", "CHARMER", "BEAUTY", "BELLE", "ROSE", "LILY", "DAISY", "ORCHID", "WATTLE",
    "BLOSSOM", "MEADOW", "VALLEY", "RIDGE", "PEAK", "SUMMIT", "CANYON", "RIVER", "CREEK", "HARBOUR", "BAY",
    "COAST", "ISLAND", "REEF", "TIDE", "WAVE", "BREEZE", "GALE", "TEMPEST", "CYCLONE", "BLIZZARD", "SUNRISE",
    "SUNSET", "HORIZON", "SKYLINE", "GALAXY", "NEBULA", "ORBIT", "VOYAGER", "PILOT", "CAPTAIN", "ADMIRAL",
    "GENERAL", "MAJOR", "SOLDIER", "GUARD", "SENTINEL", "EMPIRE", "KINGDOM", "CASTLE", "PALACE", "TOWER",
    "BRIDGE", "HIGHWAY", "EXPRESS", "EXPRESSO", "LATTE", "MOCHA", "WHISKY", "BRANDY", "CHAMPAGNE", "MARTINI",
    "SAPPHIRE", "DIAMOND", "PEARL", "JEWEL", "TREASURE", "FORTUNE", "BOUNTY", "JACKPOT", "RICHES", "EMPRESS",
    "DUCHESS", "COUNTESS", "MAESTRO", "MELODY", "RHYTHM", "HARMONY", "SYMPHONY", "ANTHEM", "BALLAD", "TANGO",
    "SALSA", "WALTZ", "RUMBA", "BOOGIE", "SHUFFLE", "STRIDE", "GALLOP", "CANTER", "SPRINT", "DASH", "BLAZE",
    "FLAME", "SPARK", "EMBER", "FLASH", "BOLT", "STRIKE", "FORCE", "POWER", "ENERGY", "MOMENTUM", "VELOCITY",
    "AFFAIR", "ROMANCE", "PROMISE", "DESTINY", "JOURNEY", "QUEST", "ODYSSEY", "VENTURE", "MISSION", "ESCAPE",
    "GETAWAY", "PARADISE", "HAVEN", "OASIS", "MIRAGE", "ILLUSION", "FANTASY", "LEGACY", "DYNASTY", "HERITAGE"};

inline constexpr const char *kSyllables[] = {
    "KA", "LO", "RA", "BEN", "TA", "RI", "MA", "NU", "ZE", "VO", "LA", "DOR", "AN", "EL", "IS", "KAR", "MIR",
    "SAN", "TOR", "VAL", "XAN", "YAR", "ZOR", "BEL", "CAR", "DAN", "FER", "GAR", "HAL", "JUN", "KEL", "LEN",
    "MON", "NOR", "PAL", "QUI", "ROS", "SOL", "TEL", "UL", "VIN", "WIL", "BRO", "CHA", "DRE", "GLI", "PRA",
    "STRA", "TRE", "ZA", "O", "A", "I", "ETTE", "INA", "ORA", "ANO", "ITO", "ELLA", "AZZ", "ISSIMO", "ONE"};

inline constexpr const char *kRaceNameWords[] = {
    "WATTLE", "RIVERSIDE", "BUSHRANGER", "SOUTHERN CROSS", "GOLDFIELDS", "HARBOURSIDE", "SUNCOAST", "HIGHLANDS",
    "TABLELANDS", "VINEYARD", "BLUEGUM", "IRONBARK", "KOOKABURRA", "BRIGALOW", "BOTTLEBRUSH", "JACARANDA",
    "CORAL", "SANDSTONE", "WHEATBELT", "PASTORAL", "DROVERS", "SHEARERS", "STOCKMANS", "MINERS", "PIONEERS",
    "FOUNDERS", "CENTENARY", "JUBILEE", "LIGHTHOUSE", "ESPLANADE", "SHOWGROUNDS", "RAILWAY", "CITY TATTS",
    "COMMUNITY", "TOWN HALL", "ROTARY", "APEX CLUB", "BOWLS CLUB", "SURF CLUB", "HOTEL", "BAKERY", "HARDWARE",
    "MOTORS", "REAL ESTATE", "STOCK AND STATION", "BUILDERS", "PLUMBING", "ELECTRICAL", "FREIGHT", "TRANSPORT",
    "WINERY", "BREWERY", "DAIRY", "FEED AND GRAIN", "SADDLERY", "VETERINARY", "FARRIERS", "STRAPPERS",
    "OWNERS", "BREEDERS", "MEMBERS", "SPONSORS", "VOLUNTEERS", "LADIES DAY", "CHRISTMAS", "EASTER", "ANZAC",
    "AUSTRALIA DAY", "SPRING", "AUTUMN", "WINTER", "SUMMER", "TWILIGHT", "TWO BAYS", "THREE RIVERS", "FOUR WINDS"};

inline constexpr const char *kFeatureNames[] = {
    "GOVERNORS", "PREMIERS", "CHAIRMANS", "PRESIDENTS", "LORD MAYORS", "COMMISSIONERS", "AUTUMN", "SPRING",
    "WINTER", "CITY", "HERITAGE", "CHAMPIONS", "DERBY TRIAL", "OAKS TRIAL", "CROWN", "CORONATION",
    "EMPIRE", "FEDERATION", "ROYAL", "MAYORS", "JUVENILE", "GOLDEN", "SILVER", "DIAMOND", "SAPPHIRE"};

inline constexpr const char *kColours[] = {"B", "B", "B", "BR", "BR", "CH", "CH", "GR", "BLK", "B/BR", "RO"};

inline constexpr const char *kOwnerWords[] = {
    "Star", "Southern", "Eureka", "Golden", "Triple", "Premier", "Platinum", "Blue Sky", "Crown", "Victory",
    "Wattle", "Coastal", "Highland", "Outback", "Harbour", "Pinnacle", "Summit", "Horizon", "Eclipse", "Legacy"};

} // namespace demodata
