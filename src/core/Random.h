#pragma once

// The program-wide pseudo-random generator: one state for the whole run.
//
// The family is PCG32 (O'Neill's permuted congruential generator, XSH-RR
// output on a 64-bit LCG), chosen for its small state and well-studied
// statistical quality. Values are the top 24 bits of each 32-bit output scaled
// to [0, 1), so every value is an exact 32-bit float below 1.
//
// Only the cipher reseeds; the chart only draws. Nothing reads the clock.
namespace lumeye {

// Advances the state and returns the next value in [0, 1).
float RandomNext();

// Replaces the state by one that depends on x alone, and returns the value
// drawn from it: the same x always gives the same value and the same state.
float RandomRestart(float x);

// Replaces the state by one that depends on x and on the state before.
void RandomReseed(float x);

// Puts the generator back to the state it has when the program starts.
void RandomResetToStart();

}  // namespace lumeye
