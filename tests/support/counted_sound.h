#pragma once

#include "audio/mixin_sound.h"

// A sound that counts its deletions, to see who owns a mix-in sound.
class CountedSound : public CMixInSound {
public:
    explicit CountedSound(int& deleted) : deleted_(deleted) {}
    ~CountedSound() override { ++deleted_; }

private:
    int& deleted_;
};
