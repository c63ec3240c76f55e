#pragma once
#include <optional>
#include <string>

#include "platform/ui/TextField.h"

/// A copper thickness field read as a length ("35um", "1.4mil") or as a weight in ounces ("1oz", "2 oz"); nothing,
/// with `error` set after "Copper: ", for anything else or an empty field.
std::optional<double> copperThickness(const TextField& field, std::string* error);
