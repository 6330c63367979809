#pragma once

// The sound a recording captures. The value is the item index of the main
// window's source selector and a scheduled task's device number.
enum AudioSource { SystemSound = 0, Microphone = 1, SystemAndMicrophone = 2 };
