#pragma once

// Product name and version as shown by the main window and set by main().
inline constexpr char kAppVersion[] = "2.0.0.3";
inline constexpr char kAppTitle[] = "Quellin(Zelto联运版)";
