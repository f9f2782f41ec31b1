// In-process helpers for the tools that link the core directly; not exported
// from the shared library.
#pragma once

#include "Item.hpp"
#include "korvex.h"

#include <optional>

namespace korvex {

// A copy of an item's fields, or nothing for an unknown handle or item.
std::optional<FieldMap> itemFields(KorvexHandle h, int item);

} // namespace korvex
