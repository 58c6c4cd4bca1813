// The failure codes this layer reports: the Word layer's own (word::wordc), repeated here so the
// converter builds on its own. They must stay equal to word::wordc.
#pragma once

namespace plenwick::word::legacy::codes {

inline constexpr int kNotWordDocument = 1001;
inline constexpr int kPasswordProtected = 1002;
inline constexpr int kDamaged = 1003;
inline constexpr int kUnsupported = 1004;
inline constexpr int kReadFailed = 1005;
inline constexpr int kWriteFailed = 1006;
inline constexpr int kConverterMissing = 1008;
inline constexpr int kConversionFailed = 1009;

}  // namespace plenwick::word::legacy::codes
