// Decoding rules of the indoor and ZIZU units' shown parameters.
#pragma once

#include <cstdint>
#include <string>

// Applies every unit rule of absolute record position q, in their fixed order,
// to text (the generic text of the value); when two rules match, the later one
// sets the text. The rules sit at fixed positions whatever the layout (those
// of the default layout of 69 status values and 40 per unit): units 0 to 2
// get the indoor rules, positions 190 to 215 the ZIZU rules. value is the
// field's value, factor UnitParamScale of the parameter at q. Called only for
// shown unit positions; positions without a rule leave text as it is.
void ApplyUnitRules(int64_t q, int32_t value, double factor, std::string& text);
