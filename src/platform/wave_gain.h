// How a played wave's pan and volume, both in hundredths of a decibel, become the gains of the
// two loudspeakers, and how those gains fit the mixer's integer controls.
#pragma once

struct StereoGain {
    double left = 1.0;
    double right = 1.0;
};

// Volume 0 is full, negative quieter; pan -800 (left) .. +800 (right) lowers only the far
// side, by |pan| hundredths of a decibel, so a pan of +800 leaves the right side full and
// lowers the left by 8 dB.
StereoGain WaveGain(int pan, int volumeCentibel);

// A channel volume 0..128 and panning levels 0..255 whose products give the wanted gains.
// The channel volume is the smallest step at or above the louder side and the panning levels
// make up the rest, so quiet waves keep their level far better than by the volume alone.
struct MixerLevels {
    int volume = 128;
    int left = 255;
    int right = 255;
};
MixerLevels ToMixerLevels(const StereoGain& gain);
