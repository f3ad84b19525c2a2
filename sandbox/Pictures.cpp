#include "sandbox/Pictures.h"

#include "sandbox/XmlOut.h"

#include <array>
#include <string_view>

namespace sandbox {

std::string ItemPicture(const Item& item) {
    static constexpr std::array<std::string_view, 8> kColours = {
        "#d9534f", "#f0ad4e", "#5cb85c", "#5bc0de", "#337ab7", "#9b59b6", "#e67e22", "#16a085"};
    size_t hash = 0;
    for (const char c : item.iid) {
        hash = hash * 31 + static_cast<unsigned char>(c);
    }
    XmlOut out;
    out.Start("svg")
        .Attribute("xmlns", "http://www.w3.org/2000/svg")
        .Attribute("width", "160")
        .Attribute("height", "160")
        .Attribute("viewBox", "0 0 160 160");
    out.Start("rect")
        .Attribute("width", "160")
        .Attribute("height", "160")
        .Attribute("fill", kColours[hash % kColours.size()])
        .End();
    out.Start("text")
        .Attribute("x", "80")
        .Attribute("y", "88")
        .Attribute("font-size", "24")
        .Attribute("text-anchor", "middle")
        .Attribute("fill", "#ffffff")
        .Text(item.keyword)
        .End();
    return out.Finish();
}

}  // namespace sandbox
