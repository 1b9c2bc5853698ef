// libQVXMacHID.Win32.so: the stub MacHIDQVX for the win variant. It registers
// the class as the working build does and does no device work: its members
// set Lasterror to -1 and give 0, false or nil, and its events are never
// raised. Only TimeOut and Lasterror of the plug-in data are used.

#include <cstddef>
#include <cstdint>

#include "mac_hid_class.h"
#include "plugincommon/plugincommon.h"

namespace machid {
namespace {

// The working build's plug-in data, field for field in size: the 32-bit
// fields, the pointer-sized ones and the report area, so that both builds
// register the same data size on every word size.
struct MacHIDData {
  int32_t TimeOut;    // property, parameter 0
  int32_t Lasterror;  // property, parameter 4
  uint32_t DeviceService;
  void* DeviceInterface;
  void* EventSource;
  void* DeviceProperties;
  uint32_t ServiceIterator;
  uint8_t Flags[4];
  unsigned char* ReportBuffer;
  unsigned char ReportArea[1024 + 20];
};
static_assert(offsetof(MacHIDData, Lasterror) == 4);
static_assert(sizeof(void*) != 4 || sizeof(MacHIDData) == 1080);

REALclassDefinition& MacHIDClass = MacHIDTables<MacHIDData>::definition;

MacHIDData* DataOf(REALobject instance) { return plugincommon::PluginData<MacHIDData>(instance, MacHIDClass); }

void Refuse(REALobject instance) {
  if (MacHIDData* data = DataOf(instance)) data->Lasterror = -1;
}

}  // namespace

// TimeOut 500, as in the working build.
void MacHIDConstructor(REALobject instance) {
  if (MacHIDData* data = DataOf(instance)) data->TimeOut = 500;
}
// Close and the destructor: nothing.
void MacHIDClose(REALobject) {}
void MacHIDDestructor(REALobject) {}

// Lasterror untouched.
REALboolean FindNextDevice(REALobject) { return false; }

// Lasterror -1.
REALboolean FindFirstDevice(REALobject instance) { return Refuse(instance), false; }
REALstring GetProductName(REALobject instance) { return Refuse(instance), nullptr; }
REALstring GetSerialNumber(REALobject instance) { return Refuse(instance), nullptr; }
REALstring GetManufacturerName(REALobject instance) { return Refuse(instance), nullptr; }
int32_t GetProductID(REALobject instance) { return Refuse(instance), 0; }
int32_t GetVendorID(REALobject instance) { return Refuse(instance), 0; }
int32_t GetVersionNumber(REALobject instance) { return Refuse(instance), 0; }
void doConnect(REALobject instance) { Refuse(instance); }
void doDisconnect(REALobject instance) { Refuse(instance); }
void InstallCallback(REALobject instance) { Refuse(instance); }
void SendMessageString(REALobject instance, REALstring) { Refuse(instance); }
void SendMessageString2(REALobject instance, int32_t, int32_t, REALstring) { Refuse(instance); }
REALstring ReadMessageString(REALobject instance, int32_t, int32_t, int32_t) { return Refuse(instance), nullptr; }
REALmemoryBlock ReadMessageMemory(REALobject instance, int32_t, int32_t, int32_t) { return Refuse(instance), nullptr; }

// A nil block raises NilObjectException and leaves Lasterror alone; else -1.
void SendMessageMemory(REALobject instance, REALmemoryBlock data, int32_t, int32_t) {
  if (data == nullptr) {
    plugincommon::RaiseException("NilObjectException", "Memoryblock is nil");
    return;
  }
  Refuse(instance);
}
void SendMessageMemory2(REALobject instance, int32_t, int32_t, REALmemoryBlock data, int32_t offset, int32_t length) {
  SendMessageMemory(instance, data, offset, length);
}

}  // namespace machid

extern "C" REALPLUGIN_EXPORT void REALPluginMain(REALresolverProc resolver) {
  plugincommon::BeginPluginMain(resolver);
  plugincommon::RegisterClassDefinition(&machid::MacHIDClass);
}
