// Decoding rules of the outdoor unit's shown status parameters.
#pragma once

#include <cstdint>
#include <string>

// Applies the outdoor rule of status position p, if it has one, to text (the
// generic text of the value): compressor percentage, fan run state, working
// mode, temperatures in degrees F, defrost state and fault texts. Positions
// without a rule (67, Software Version) leave text as it is. value is the
// field's value, factor StatusParamScale(p).
void ApplyOutdoorRule(int p, int32_t value, double factor, std::string& text);
