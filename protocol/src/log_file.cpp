#include "framework/folderitem.h"
#include "protocol/module.h"
#include "protocol/text_helpers.h"
#include "protocol/trace.h"
#include "trace_lines.h"

namespace HID {

void InitLog(const framework::String& name) {
#if DiagnosticBuild
  framework::Ref<framework::FolderItem> item = framework::GetFolderItem(name, 0);
  framework::Ref<framework::TextOutputStream> stream;
  if (item) stream = item->CreateTextFile();
  // The new stream takes the variable before the old one ends, so nothing
  // can write to a stream that is closing.
  framework::Ref<framework::TextOutputStream> old = std::move(logfile);
  logfile = std::move(stream);
  old = nullptr;
#else
  (void)name;
#endif
}

void WriteDataLine(const BoundMembers& bound, int32_t address, const framework::String& data) {
  if (!logfile) return;
  logfile->WriteLine(framework::String("Address: ") + hex6(address) + framework::String(" ") +
                     bound.EncodingToHexQVX(data));
}

}  // namespace HID
