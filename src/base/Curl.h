#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>

namespace base {

// curl_global_init is not safe to run from several threads at once; every client calls this
// before its first handle, and only the first call does the work. Throws when libcurl cannot
// start.
void InitCurlOnce();

struct CurlSlistFree {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHeaderList = std::unique_ptr<curl_slist, CurlSlistFree>;

// Appends one header line; throws std::bad_alloc when libcurl cannot.
void AppendHeader(CurlHeaderList& list, const std::string& line);

}  // namespace base
