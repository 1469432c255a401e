#pragma once

// The drive excites the machine with a multisine whose tone phases depend on the sample rate.
// The Bode graph measures the response phase against these tables, and the simulated drive
// builds its excitation from them, so both sides link this one copy of the data.
namespace plotix {

struct ExcitationTable {
    int sampleRate;        // Hz
    int count;             // output bins of the Bode graph; the transform takes 2 * count samples
    const double* phases;  // count entries; entry i is the phase of bin i + 1, radians in [0, 2*pi)
};

// The table of a supported sample rate (4000, 5000, 6000, 8000, 10000, 12000, 16000 Hz), or
// nullptr for any other rate.
const ExcitationTable* excitationTable(int sampleRate);

} // namespace plotix
