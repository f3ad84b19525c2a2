#include "support/HostileXml.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace support {

std::string ExpandingDoctype(const std::string& root) {
    return "<!DOCTYPE " + root + " [<!ENTITY e \"" + std::string(10'000, 'x') + "\">]>";
}

std::string EntityReferences(size_t count) {
    std::string references;
    references.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        references += "&e;";
    }
    return references;
}

void RunUnderMemoryCap(size_t bytes, const std::function<void()>& body) {
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_DATA, &limit) != 0) {
        std::fputs("cannot cap the memory of the test\n", stderr);
        std::_Exit(2);
    }
    try {
        body();
    } catch (const std::exception& e) {
        std::fputs(e.what(), stderr);
        std::_Exit(1);
    } catch (...) {
        std::_Exit(1);
    }
    std::_Exit(0);
}

}  // namespace support
