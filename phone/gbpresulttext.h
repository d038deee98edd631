#pragma once

#include <QString>
#include <cstdint>

namespace linkwell {

// The history sentence for a phone library result. `operation` is the
// library function's name, compared exactly; a pair with no sentence gives an
// empty text.
QString GbpResultText(const QString& operation, std::int32_t code);

} // namespace linkwell
