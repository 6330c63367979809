#pragma once

// Every line the DirectShow input device prints starts with its log context,
// "[dshow @ ADDRESS] ". The address is fixed: nothing reads it.
inline constexpr const char *kDshowLinePrefix = "[dshow @ 0000020a1b2c3d40] ";
