// Shared by the fuzz targets: a sandboxed simulated platform, and inputs
// copied into exactly-sized heap blocks so any read past them is caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qzfuzz {

// Sandbox root and a fresh platform, once per process; console captured.
void SetUpPlatform();
// The platform set up, with the demo mesh profile loaded (aborts if it does
// not load), so that handlers reach the simulated services.
void SetUpMeshGateway();
// Drops what the platform recorded (console, last words) so memory stays flat.
void DropRecords();
// The bytes as a NUL-terminated text (stops at an inner NUL, as C would).
std::vector<char> Text(const uint8_t *data, size_t size);

}  // namespace qzfuzz
