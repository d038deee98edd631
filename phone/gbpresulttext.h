#pragma once

#include <QString>
#include <cstdint>

namespace linkwell {

// The sentence the communication history shows for a phone library result.
// Operation names are compared exactly, case included; a pair the table does
// not cover gives an empty text.
QString GbpResultText(const QString& operation, std::int32_t code);

} // namespace linkwell
