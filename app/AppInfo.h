#pragma once

#include "Version.h"

// Product name as shown by the main window and set by main(); the version
// comes from the build (Version.h).
inline constexpr char kAppTitle[] = "Quellin(Zelto联运版)";
