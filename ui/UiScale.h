#pragma once

#include <QString>

// Font scale factor of the user interface: 1.0, 1.25, 1.5, 1.75 or 2.0.
// Computed once at start-up, before the first window is built.
extern float uiScale;

// Sets uiScale from the logical DPI of the first screen; leaves it unchanged
// when there is no screen.
void computeUiScale();

// The factor that computeUiScale chooses for a screen of the given logical DPI.
float uiScaleForDpi(double logicalDpi);

// The style sheet at path (a resource such as ":/main.css") with its font sizes
// rewritten for uiScale; an empty string when the file cannot be opened.
QString loadScaledStyleSheet(const QString &path);

// Rewrites every "font-size: Npx;" of the known sizes for the given scale.
QString scaleFontSizes(QString text, float scale);

void replaceAll(QString &text, const QString &before, const QString &after);
bool fuzzyEqual(float a, float b, float epsilon);
