#pragma once

// Real Australian tracks, the states they race in and the short words of race names: the places
// the demo generator races at.

namespace demodata {

struct TrackDef {
    const char *code; // TrackCode: meeting codes and field-file names are 'ddmm' + code
    const char *club;
    const char *state;
    char type;         // 'M' metropolitan, 'P' provincial, 'C' country
    const char *locat; // TrackLocat, the venue in capitals as the web importers look it up
    int weight;        // relative number of meetings among tracks of the same type
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
    {"MAIDEN", "MDN"},         {"BENCHMARK", "BM"},       {"HANDICAP", "HCP"},   {"FILLIES AND MARES", "F&M"},
    {"SET WEIGHTS", "SW"},     {"WEIGHT FOR AGE", "WFA"}, {"CLASS", "CL"},       {"PLATE", "PLT"},
    {"QUALITY", "QLTY"},       {"STAKES", "STKS"},        {"RESTRICTED", "RST"}, {"TWO-YEAR-OLD", "2YO"},
    {"THREE-YEAR-OLD", "3YO"}, {"OPEN", "OPN"},           {"APPRENTICE", "APP"}, {"WELTER", "WLTR"},
    {"HIGHWEIGHT", "HWT"},     {"GUINEAS", "GNS"},        {"CUP", "CUP"},        {"SPRINT", "SPR"},
    {"MILE", "MILE"},
};

} // namespace demodata
