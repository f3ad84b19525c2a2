#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace soap {

// The types a parameter can have on the wire.
enum class ParamType { String, Float, Int64 };

struct Parameter {
    std::string name;
    ParamType type;
};

// One operation of a document/literal service: its element name, its input parameters in
// declaration order (each sent as a child element of that name) and whether it answers with a
// result text.
struct Operation {
    std::string name;
    std::vector<Parameter> inputs;
    bool hasResult = false;
};

// What a service registers once: the namespace of its operation and parameter elements and
// the SOAPAction sent with every one of its operations.
struct Interface {
    std::string targetNamespace;
    std::string soapAction;
};

// An argument; its alternative must match the declared ParamType. Strings are UTF-8.
using Value = std::variant<std::string, float, int64_t>;

}  // namespace soap
