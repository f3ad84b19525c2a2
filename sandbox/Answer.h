#pragma once

#include <string>

namespace sandbox {

// What a service answers to one request.
struct Answer {
    int status = 200;
    std::string contentType;
    std::string body;
    std::string location;  // a Location header when not empty
};

}  // namespace sandbox
