#pragma once
// The simulated bootloader device: it answers the 64-byte HID bootloader
// protocol from the device's side (QUERY_DEVICE, ERASE_DEVICE, PROGRAM_DEVICE,
// PROGRAM_COMPLETE, GET_DATA, RESET_DEVICE), with faults for tests.
//
//  config.h     identity, regions, timing and faults; the program's options
//  device.h     the protocol and the memory, without I/O or clock
//  server.h     serving it on the HID bus: as a virtual device (the program
//               bootloader-sim) or attached in process on a thread (tests)
//  intel_hex.h  the memory dump and initial memory as Intel HEX
//
// Threads: a Device belongs to one thread; serve_virtual and InProcessDevice
// guard it with a mutex so that tests can read it while it is served.

#include <sim/config.h>
#include <sim/device.h>
#include <sim/intel_hex.h>
#include <sim/server.h>
