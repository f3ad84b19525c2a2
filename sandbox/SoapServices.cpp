#include "sandbox/SoapServices.h"

#include "base/Encoding.h"
#include "base/Errors.h"
#include "base/Numbers.h"
#include "base/Xml.h"
#include "sandbox/XmlOut.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <vector>

namespace sandbox {
namespace {

constexpr std::string_view kEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view kXmlType = "text/xml; charset=utf-8";

// An answer given instead of the operation's own.
struct Refusal {
    Answer answer;
};

Refusal ClientFault(std::string_view text) {
    return {SoapServices::Fault("soap:Client", text)};
}

Refusal UnreadableRequest(std::string_view why) {
    return ClientFault("Server was unable to read request. ---> " + std::string(why));
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view Unquote(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::string NamespaceOf(const xmlNode* node) {
    return node->ns != nullptr && node->ns->href != nullptr
               ? reinterpret_cast<const char*>(node->ns->href)
               : "";
}

bool Is(const xmlNode* node, std::string_view ns, std::string_view name) {
    return node->type == XML_ELEMENT_NODE && base::NodeName(node) == name &&
           NamespaceOf(node) == ns;
}

struct Operation {
    std::string_view ns;
    std::string_view action;
    std::string_view name;
};

struct Call {
    base::XmlDocument document;
    xmlNodePtr operation;
};

// The checks an ASP.NET service makes before it runs an operation: the Content-Type names a
// SOAP 1.1 message, the SOAPAction names the operation, the body is a SOAP 1.1 envelope with one
// Body whose first element is the operation's.
Call Accept(const SoapRequest& request, const Operation& operation) {
    const std::string_view contentType = request.contentType;
    const std::string mediaType(Trim(Lower(contentType.substr(0, contentType.find(';')))));
    if (mediaType != "text/xml") {
        throw Refusal{{500,
                       "text/plain; charset=utf-8",
                       "System.InvalidOperationException: Request format is invalid: " +
                           std::string(contentType) + ".",
                       {}}};
    }
    const std::string sent = request.soapAction.value_or("");
    const std::string_view action = Unquote(Trim(sent));
    if (action != operation.action) {
        throw ClientFault("Server did not recognize the value of HTTP Header SOAPAction: " +
                          std::string(action) + ".");
    }
    base::XmlParseOptions options;
    const std::string lowerType = Lower(contentType);
    if (const size_t at = lowerType.find("charset="); at != std::string::npos) {
        const std::string_view rest = std::string_view(contentType).substr(at + 8);
        options.forcedEncoding = std::string(Unquote(Trim(rest.substr(0, rest.find(';')))));
    }
    std::optional<base::XmlDocument> document;
    try {
        document.emplace(base::XmlDocument::Parse(request.body, options));
    } catch (const base::XmlParseError& e) {
        throw UnreadableRequest("There is an error in XML document (" + std::to_string(e.line()) +
                                ", " + std::to_string(e.column()) + "). ---> " + e.reason());
    }
    const xmlNode* root = document->Root();
    if (base::NodeName(root) == "Envelope" && NamespaceOf(root) != kEnvelopeNs) {
        throw Refusal{SoapServices::Fault("soap:VersionMismatch",
                                          "Possible SOAP version mismatch: Envelope namespace " +
                                              NamespaceOf(root) + " was unexpected. Expecting " +
                                              std::string(kEnvelopeNs) + ".")};
    }
    if (!Is(root, kEnvelopeNs, "Envelope")) {
        throw UnreadableRequest("<" + base::NodeName(root) + " xmlns='" + NamespaceOf(root) +
                                "'> was not expected.");
    }
    xmlNodePtr body = nullptr;
    bool first = true;
    for (xmlNodePtr child = root->children; child != nullptr; child = child->next) {
        if (child->type == XML_COMMENT_NODE) {
            continue;
        }
        const bool header = first && Is(child, kEnvelopeNs, "Header");
        first = false;
        if (header) {
            continue;
        }
        if (body != nullptr || !Is(child, kEnvelopeNs, "Body")) {
            throw UnreadableRequest("The envelope holds <" + base::NodeName(child) +
                                    "> where only one Header and one Body belong.");
        }
        body = child;
    }
    if (body == nullptr) {
        throw UnreadableRequest("The envelope holds no Body.");
    }
    xmlNodePtr call = xmlFirstElementChild(body);
    if (call == nullptr || !Is(call, operation.ns, operation.name)) {
        throw UnreadableRequest(call == nullptr ? "The Body is empty."
                                                : "<" + base::NodeName(call) + " xmlns='" +
                                                      NamespaceOf(call) + "'> was not expected.");
    }
    return {std::move(*document), call};
}

// The parameters by name in declaration order, read as a sequence: an element that does not
// come at or after the place of its name is ignored, like any unknown element.
std::vector<const xmlNode*> Parameters(const xmlNode* call, std::string_view ns,
                                       const std::vector<std::string_view>& names) {
    std::vector<const xmlNode*> found(names.size(), nullptr);
    size_t next = 0;
    for (const xmlNode* child = call->children; child != nullptr; child = child->next) {
        for (size_t i = next; i < names.size(); ++i) {
            if (Is(child, ns, names[i])) {
                found[i] = child;
                next = i + 1;
                break;
            }
        }
    }
    return found;
}

// A string parameter: null when absent, "" when empty.
std::optional<std::string> StringValue(const xmlNode* element) {
    if (element == nullptr) {
        return std::nullopt;
    }
    try {
        return base::ElementValue(element).value_or("");
    } catch (const base::XmlValueError&) {
        throw UnreadableRequest("<" + base::NodeName(element) + "> holds elements, not text.");
    }
}

float FloatValue(const xmlNode* element) {
    const std::string text = StringValue(element).value_or("0");
    const std::string_view trimmed = Trim(text);
    if (trimmed == "INF") {
        return std::numeric_limits<float>::infinity();
    }
    if (trimmed == "-INF") {
        return -std::numeric_limits<float>::infinity();
    }
    if (trimmed == "NaN") {
        return std::numeric_limits<float>::quiet_NaN();
    }
    try {
        const float value = static_cast<float>(base::StrToFloat(trimmed));
        if (std::isfinite(value)) {
            return value;
        }
    } catch (const base::ConvertError&) {
    }
    throw UnreadableRequest("The value of " + base::NodeName(element) +
                            " is not a valid Single: '" + text + "'.");
}

int64_t LongValue(const xmlNode* element) {
    const std::string text = StringValue(element).value_or("0");
    std::string_view digits = Trim(text);
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
    }
    int64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
        throw UnreadableRequest("The value of " + base::NodeName(element) +
                                " is not a valid Int64: '" + text + "'.");
    }
    return value;
}

std::string JsonString(const std::optional<std::string>& text) {
    if (!text) {
        return "null";
    }
    std::string json = "\"";
    for (const char c : *text) {
        switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    json += escape;
                } else {
                    json += c;
                }
        }
    }
    return json + "\"";
}

// The value the service understood, written the way the client writes floats.
std::string JsonFloat(float value) {
    if (std::isnan(value)) {
        return "\"NaN\"";
    }
    if (std::isinf(value)) {
        return value > 0 ? "\"INF\"" : "\"-INF\"";
    }
    return base::FormatGeneral(static_cast<double>(value));
}

std::string Envelope(const std::function<void(XmlOut&)>& body) {
    XmlOut out;
    out.Declaration()
        .Start("soap:Envelope")
        .Attribute("xmlns:soap", kEnvelopeNs)
        .Attribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance")
        .Attribute("xmlns:xsd", "http://www.w3.org/2001/XMLSchema")
        .Start("soap:Body");
    body(out);
    return out.Finish();
}

// The list as characters: decoded by its own declaration (GB2312 and its kin as GBK), which
// stays in the text for the client to read.
std::string ListText(std::string bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.erase(0, 3);
    }
    std::string encoding;
    if (bytes.starts_with("<?xml")) {
        const std::string declaration = Lower(bytes.substr(0, bytes.find("?>")));
        if (const size_t at = declaration.find("encoding"); at != std::string::npos) {
            const size_t open = declaration.find_first_of("\"'", at);
            const size_t close =
                open == std::string::npos ? open : declaration.find(declaration[open], open + 1);
            if (close != std::string::npos) {
                encoding = declaration.substr(open + 1, close - open - 1);
            }
        }
    }
    if (encoding == "gb2312" || encoding == "gbk" || encoding == "gb18030" || encoding == "cp936") {
        return base::GbkToUtf8(bytes);
    }
    if (!base::IsValidUtf8(bytes)) {
        throw Refusal{SoapServices::Fault(
            "soap:Server",
            "Server was unable to process request. ---> The list file is neither UTF-8 nor "
            "declared as GB2312 or GBK.")};
    }
    return bytes;
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
}

}  // namespace

SoapServices::SoapServices(std::filesystem::path reportLog, std::filesystem::path updateList,
                           std::string baseUrl, base::Clock clock)
    : reportLog_(std::move(reportLog)),
      baseUrl_(std::move(baseUrl)),
      clock_(std::move(clock)),
      updateList_(std::move(updateList)) {}

void SoapServices::SetUpdateList(std::filesystem::path updateList) {
    std::lock_guard lock(mutex_);
    updateList_ = std::move(updateList);
}

Answer SoapServices::Fault(std::string_view code, std::string_view text) {
    return {500,
            std::string(kXmlType),
            Envelope([&](XmlOut& out) {
                out.Start("soap:Fault")
                    .Leaf("faultcode", code)
                    .Leaf("faultstring", text)
                    .Start("detail")
                    .End()
                    .End();
            }),
            {}};
}

Answer SoapServices::AddSub(const SoapRequest& request) {
    static constexpr Operation kAddSub{"SearchAddIn", "SearchAddIn/AddSub", "AddSub"};
    try {
        const Call call = Accept(request, kAddSub);
        const auto p = Parameters(call.operation, kAddSub.ns,
                                  {"Key", "JS_ZDJ", "JS_ZGJ", "GoodsCount", "PJJ", "Version"});
        const std::string line = "{\"time\":" + JsonString(base::FormatDateTime(clock_())) +
                                 ",\"Key\":" + JsonString(StringValue(p[0])) +
                                 ",\"JS_ZDJ\":" + JsonFloat(FloatValue(p[1])) +
                                 ",\"JS_ZGJ\":" + JsonFloat(FloatValue(p[2])) +
                                 ",\"GoodsCount\":" + std::to_string(LongValue(p[3])) +
                                 ",\"PJJ\":" + JsonFloat(FloatValue(p[4])) +
                                 ",\"Version\":" + JsonString(StringValue(p[5])) + "}\n";
        if (!reportLog_.empty()) {
            std::lock_guard lock(mutex_);
            std::ofstream log(reportLog_, std::ios::app | std::ios::binary);
            log << line << std::flush;
            if (!log) {
                return Fault("soap:Server",
                             "Server was unable to process request. ---> Cannot write the report "
                             "log " +
                                 reportLog_.string() + ".");
            }
        }
        return {200,
                std::string(kXmlType),
                Envelope([](XmlOut& out) {
                    out.Start("AddSubResponse").Attribute("xmlns", kAddSub.ns).End();
                }),
                {}};
    } catch (const Refusal& refusal) {
        return refusal.answer;
    }
}

Answer SoapServices::GetUpGradeFileList(const SoapRequest& request) const {
    static constexpr Operation kList{"QuillonUpGrade", "QuillonUpGrade/GetUpGradeFileList",
                                     "GetUpGradeFileList"};
    try {
        Accept(request, kList);
        std::filesystem::path path;
        {
            std::lock_guard lock(mutex_);
            path = updateList_;
        }
        std::string text;
        if (!path.empty()) {
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                return Fault("soap:Server",
                             "Server was unable to process request. ---> Could not find file '" +
                                 path.string() + "'.");
            }
            text = ListText({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
            ReplaceAll(text, "{SANDBOX}", baseUrl_);
        }
        return {200,
                std::string(kXmlType),
                Envelope([&](XmlOut& out) {
                    out.Start("GetUpGradeFileListResponse")
                        .Attribute("xmlns", kList.ns)
                        .Leaf("GetUpGradeFileListResult", text)
                        .End();
                }),
                {}};
    } catch (const Refusal& refusal) {
        return refusal.answer;
    }
}

}  // namespace sandbox
