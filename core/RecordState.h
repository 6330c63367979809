#pragma once

// State of the recording controller. The values are handed to the floating
// window's setPlay as they are.
enum RecordState { Idle = 0, Recording = 1, Paused = 2 };
