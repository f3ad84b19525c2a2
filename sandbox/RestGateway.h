#pragma once

#include "sandbox/Answer.h"
#include "sandbox/Catalogue.h"

#include <map>
#include <string>
#include <string_view>

namespace sandbox {

// The application the programs call with; the only one the gateway knows.
inline constexpr std::string_view kAppKey = "38015";
inline constexpr std::string_view kAppSecret = "7c3e91a05b2d48f6a0e1d9c4b8f27a63";

// Error codes of the gateway's error answers (README lists them).
enum GatewayCode {
    kCodeCallLimited = 7,
    kCodeMissingParameter = 20,
    kCodeBadTimestamp = 21,
    kCodeBadAppKey = 22,
    kCodeBadMethod = 23,
    kCodeBadSignature = 25,
    kCodeBadForm = 26,
    kCodeBadArgument = 40,
    kCodeNoSuchUser = 50,
};

// The signed REST gateway at "/sip/rest" over a catalogue.
class RestGateway {
  public:
    // pictureBase: "http://127.0.0.1:PORT", the front of every picture address.
    RestGateway(const Catalogue& catalogue, std::string pictureBase);

    // sellerPerItem: every item is offered by a seller of its own.
    Answer Handle(std::string_view contentType, std::string_view body, bool sellerPerItem) const;

    static Answer ErrorAnswer(int code, std::string_view message);

  private:
    using Params = std::map<std::string, std::string>;
    Answer ItemsGet(const Params& params, bool sellerPerItem) const;
    Answer UserGet(const Params& params) const;

    const Catalogue& catalogue_;
    std::string pictureBase_;
};

}  // namespace sandbox
