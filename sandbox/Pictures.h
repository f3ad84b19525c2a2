#pragma once

#include "sandbox/Catalogue.h"

#include <string>

namespace sandbox {

// A small SVG picture of an item: its product word on a colour of its own.
std::string ItemPicture(const Item& item);

}  // namespace sandbox
