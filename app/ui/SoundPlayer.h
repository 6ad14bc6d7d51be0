#pragma once

// Installs the Qt Multimedia player behind sounds::playSound, a module loaded with the first
// sound. Playing is silent where the machine has no audio device.
void installSoundPlayer();
