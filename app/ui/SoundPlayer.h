#pragma once

// Installs the Qt Multimedia player behind sounds::playSound. Playing is silent where the
// machine has no audio device.
void installSoundPlayer();
