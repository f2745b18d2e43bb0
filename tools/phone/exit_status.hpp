#pragma once

// How orvane-phone ends; scripts tell the outcomes apart by these.
namespace orvane::phone::ExitStatus {

inline constexpr int ok = 0;             // finished, or the computer closed the connection
inline constexpr int failure = 1;        // could not connect, bad state file, bad QR text
inline constexpr int timedOut = 3;       // --timeout passed before the command finished
inline constexpr int refused = 4;        // the computer answered pair_denied or auth_failed
inline constexpr int pinMismatch = 5;    // the computer's certificate does not match the pin
inline constexpr int usage = 64;         // the command line is wrong

}  // namespace orvane::phone::ExitStatus
