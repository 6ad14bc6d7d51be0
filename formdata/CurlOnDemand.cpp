// The libcurl functions the program calls, loaded with the library on the first request instead of
// at start: libcurl and the TLS, Kerberos and LDAP libraries it needs are a large share of what the
// dynamic loader would otherwise map and bind before the first window. The programs do not link
// libcurl; these definitions stand in for it and forward to the library once it is loaded.
#include <curl/curl.h>

#include <dlfcn.h>

#include <cstdarg>

namespace {

struct Curl {
    void *library = nullptr;
    CURLcode (*globalInit)(long) = nullptr;
    CURL *(*easyInit)() = nullptr;
    void (*easyCleanup)(CURL *) = nullptr;
    void (*easyReset)(CURL *) = nullptr;
    CURLcode (*easySetopt)(CURL *, CURLoption, ...) = nullptr;
    CURLcode (*easyPerform)(CURL *) = nullptr;
    const char *(*easyStrerror)(CURLcode) = nullptr;
    curl_slist *(*slistAppend)(curl_slist *, const char *) = nullptr;
    void (*slistFreeAll)(curl_slist *) = nullptr;
};

template <typename Function> bool resolve(void *library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Loaded once, by whichever thread asks first; empty when the library or one of its functions is missing.
const Curl &curl()
{
    static const Curl loaded = [] {
        Curl c;
        c.library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!c.library)
            return Curl{};
        const bool complete = resolve(c.library, "curl_global_init", c.globalInit) &&
                              resolve(c.library, "curl_easy_init", c.easyInit) &&
                              resolve(c.library, "curl_easy_cleanup", c.easyCleanup) &&
                              resolve(c.library, "curl_easy_reset", c.easyReset) &&
                              resolve(c.library, "curl_easy_setopt", c.easySetopt) &&
                              resolve(c.library, "curl_easy_perform", c.easyPerform) &&
                              resolve(c.library, "curl_easy_strerror", c.easyStrerror) &&
                              resolve(c.library, "curl_slist_append", c.slistAppend) &&
                              resolve(c.library, "curl_slist_free_all", c.slistFreeAll);
        return complete ? c : Curl{};
    }();
    return loaded;
}

} // namespace

extern "C" {

CURLcode curl_global_init(long flags)
{
    return curl().globalInit ? curl().globalInit(flags) : CURLE_FAILED_INIT;
}

// Without the library there is no handle: every request then fails with the message below.
CURL *curl_easy_init()
{
    return curl().easyInit ? curl().easyInit() : nullptr;
}

void curl_easy_cleanup(CURL *handle)
{
    if (handle && curl().easyCleanup)
        curl().easyCleanup(handle);
}

void curl_easy_reset(CURL *handle)
{
    if (handle && curl().easyReset)
        curl().easyReset(handle);
}

#undef curl_easy_setopt
// The option's number says the type of its one argument (curl.h's CURLOPTTYPE ranges).
CURLcode curl_easy_setopt(CURL *handle, CURLoption option, ...)
{
    if (!handle || !curl().easySetopt)
        return CURLE_FAILED_INIT;
    va_list arguments;
    // The option is an enum, as in curl.h's declaration (and libcurl's own definition), of type int.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wvarargs"
#endif
    va_start(arguments, option);
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
    CURLcode code;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        code = curl().easySetopt(handle, option, va_arg(arguments, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT)
        code = curl().easySetopt(handle, option, va_arg(arguments, void *));
    else if (option < CURLOPTTYPE_OFF_T)
        code = curl().easySetopt(handle, option, va_arg(arguments, void (*)()));
    else if (option < CURLOPTTYPE_BLOB)
        code = curl().easySetopt(handle, option, va_arg(arguments, curl_off_t));
    else
        code = curl().easySetopt(handle, option, va_arg(arguments, void *));
    va_end(arguments);
    return code;
}

CURLcode curl_easy_perform(CURL *handle)
{
    return handle && curl().easyPerform ? curl().easyPerform(handle) : CURLE_FAILED_INIT;
}

const char *curl_easy_strerror(CURLcode code)
{
    return curl().easyStrerror ? curl().easyStrerror(code) : "libcurl.so.4 could not be loaded";
}

curl_slist *curl_slist_append(curl_slist *list, const char *text)
{
    return curl().slistAppend ? curl().slistAppend(list, text) : list;
}

void curl_slist_free_all(curl_slist *list)
{
    if (list && curl().slistFreeAll)
        curl().slistFreeAll(list);
}

} // extern "C"
