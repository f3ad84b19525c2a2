#pragma once

#include "soap/Interface.h"

namespace support {

// A made-up service for the SOAP client's own tests, with an operation of each shape.
inline const soap::Interface kTestService{.targetNamespace = "urn:test",
                                          .soapAction = "urn:test/Do"};
// The same action under a namespace that must be escaped where it is written.
inline const soap::Interface kEscapedService{.targetNamespace = "urn:test&\"ns\"",
                                             .soapAction = "urn:test/Do"};

// Every parameter type, and an empty string last.
inline const soap::Operation kReport{.name = "Report",
                                     .inputs = {{"Text", soap::ParamType::String},
                                                {"Low", soap::ParamType::Float},
                                                {"High", soap::ParamType::Float},
                                                {"Count", soap::ParamType::Int64},
                                                {"Empty", soap::ParamType::String}},
                                     .hasResult = false};
inline const soap::Operation kList{.name = "List", .inputs = {}, .hasResult = true};
inline const soap::Operation kNotify{.name = "Notify", .inputs = {}, .hasResult = false};
inline const soap::Operation kFetch{.name = "Fetch", .inputs = {}, .hasResult = true};

}  // namespace support
