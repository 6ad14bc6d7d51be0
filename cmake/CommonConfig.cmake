# One interface target carries the language standard, warnings and hygiene defines for every target.
add_library(ostrevan_common_cfg INTERFACE)
target_compile_features(ostrevan_common_cfg INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(ostrevan_common_cfg INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wno-missing-field-initializers>
    $<$<CXX_COMPILER_ID:MSVC>:/W4>
    # g++ 12 at -O3 reports overlapping copies inside std::string's own operator+ (GCC bug 105329); 13 fixed it.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
target_compile_definitions(ostrevan_common_cfg INTERFACE
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER
    $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)
option(OSTREVAN_WERROR "Treat warnings as errors" OFF)
if(OSTREVAN_WERROR)
    target_compile_options(ostrevan_common_cfg INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:-Werror>)
endif()

# A second tree for CI: AddressSanitizer and UndefinedBehaviorSanitizer on every target.
option(OSTREVAN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(OSTREVAN_SANITIZE)
    # vptr checks give false alarms across Qt's shared libraries.
    set(sanitize_flags -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_compile_options(${sanitize_flags})
    add_link_options(${sanitize_flags})
endif()

# The distribution's hardening, for every program and test: a stack protector, fortified C library calls (they
# need the optimiser), full RELRO with immediate binding. The packages and CI turn it on; working trees leave it
# off so that their compiler cache stays shared. The sanitizer tree goes without: its checks cover them.
option(OSTREVAN_HARDENING "Build with the distribution's hardening flags" OFF)
if(OSTREVAN_HARDENING AND NOT OSTREVAN_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(ostrevan_common_cfg INTERFACE -fstack-protector-strong -fstack-clash-protection
        "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    target_link_options(ostrevan_common_cfg INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
