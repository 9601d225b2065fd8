// The test chain's devices (synthchain/chain-env), as Wine lists them while the chain is up.
#pragma once

#include <cstdlib>

namespace uidriver {

inline constexpr char kChainMidiOut[] = "GM Synth (test chain)";
inline constexpr char kChainWaveIn[] = "Monitor of Chain Synth";

// scripts/run-chain-tests and `scripts/run demo` start the driver with the chain up.
inline bool ChainIsUp() { return std::getenv("SOLVENA_CHAIN_FIFO") != nullptr; }

}  // namespace uidriver
