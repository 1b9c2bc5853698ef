// The host services as a plug-in sees them: looked up by name, called with
// handles.

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "debug_log_capture.h"
#include "framework/exceptions.h"
#include "framework/folderitem.h"
#include "framework/memoryblock.h"
#include "framework/ui/picture.h"
#include "pluginhost/pluginhost.h"

namespace {

using framework::Ref;
using framework::String;

template <typename Proc>
Proc Service(const char* name) {
  auto entry = reinterpret_cast<Proc>(pluginhost::resolve_service(name));
  EXPECT_NE(entry, nullptr) << name;
  return entry;
}

#define SERVICE(name) Service<name##Proc>(#name)

TEST(ResolverTest, KnowsEveryServiceByNameAndNothingElse) {
  for (const char* name :
       {"RegisterPluginVersion",   "REALGetRBVersion",      "PluginRegisterClass",   "PluginRegisterClassExtension",
        "PluginRegisterMethod",    "REALinRuntime",         "GetEventInstance",      "PluginNewInstance",
        "REALSetPropValueString",  "REALSetPropValueInt",   "RuntimeRaiseException", "REALBuildString",
        "REALSetStringEncoding",   "REALGetStringEncoding", "REALConvertString",     "REALLockString",
        "REALUnlockString",        "REALLockObject",        "REALUnlockObject",      "PluginGetStringData",
        "PluginDisposeStringData", "StringGetCString",      "REALLoadGlobalMethod",  "newMemoryBlock",
        "memoryBlockGetPtr",       "memoryBlockGetSize",    "PtrToMemoryBlock",      "FolderItemFromFSSpec",
        "REALFSSpecFromFolderItem"}) {
    EXPECT_NE(pluginhost::resolve_service(name), nullptr) << name;
  }
  EXPECT_EQ(pluginhost::resolve_service("REALGetRBversion"), nullptr);
  EXPECT_EQ(pluginhost::resolve_service(""), nullptr);
  EXPECT_EQ(pluginhost::resolve_service(nullptr), nullptr);
}

TEST(ResolverTest, ReportsVersion201303UnlessSet) {
  EXPECT_EQ(SERVICE(REALGetRBVersion)(), 2013.03);
  pluginhost::set_host_version(2012.5);
  EXPECT_EQ(SERVICE(REALGetRBVersion)(), 2012.5);
  pluginhost::set_host_version(2013.03);
  EXPECT_EQ(SERVICE(REALinRuntime)(), 1);
}

TEST(StringServicesTest, BuildTagConvertAndRelease) {
  REALstring s = SERVICE(REALBuildString)("Gr\xFC\xDF", 4);
  ASSERT_NE(s, nullptr);
  SERVICE(REALSetStringEncoding)(s, REALEncodingWindowsLatin1);
  EXPECT_EQ(SERVICE(REALGetStringEncoding)(s), REALEncodingWindowsLatin1);
  REALstring utf8 = SERVICE(REALConvertString)(s, REALEncodingUTF8);
  ASSERT_NE(utf8, nullptr);
  EXPECT_EQ(pluginhost::string_of(utf8)->bytes(), "Gr\xC3\xBC\xC3\x9F");
  EXPECT_EQ(pluginhost::string_of(utf8)->encoding(), REALEncodingUTF8);
  SERVICE(REALUnlockString)(utf8);
  SERVICE(REALUnlockString)(s);
  EXPECT_EQ(SERVICE(REALBuildString)(nullptr, 3), nullptr);
  EXPECT_EQ(SERVICE(REALBuildString)("x", -1), nullptr);
}

TEST(StringServicesTest, StringReadsInPlaceThroughWordsOneAndThree) {
  REALstring s = pluginhost::new_string_handle(String::from_bytes(std::string("ab\0c", 4), REALEncodingUnknown));
  const auto* words = reinterpret_cast<const REALword*>(s);
  const auto* text = reinterpret_cast<const char*>(words[REALstringTextWord] + 1);
  EXPECT_EQ(std::string(text, words[REALstringLengthWord]), std::string("ab\0c", 4));
  EXPECT_EQ(text[4], '\0');
  pluginhost::release_string_handle(s);
}

TEST(StringServicesTest, StringDataAsStoredOrConverted) {
  REALstring s = pluginhost::new_string_handle(String("Käse"));
  REALstringData data{};
  ASSERT_EQ(SERVICE(PluginGetStringData)(s, REALEncodingUnknown, &data), 1);
  EXPECT_EQ(std::string(static_cast<const char*>(data.data), data.length), "K\xC3\xA4se");
  EXPECT_EQ(data.encoding, REALEncodingUTF8);
  SERVICE(PluginDisposeStringData)(&data);
  EXPECT_EQ(data.data, nullptr);
  ASSERT_EQ(SERVICE(PluginGetStringData)(s, REALEncodingMacRoman, &data), 1);
  EXPECT_EQ(std::string(static_cast<const char*>(data.data), data.length), "K\x8Ase");
  EXPECT_EQ(static_cast<const char*>(data.data)[data.length], '\0');
  SERVICE(PluginDisposeStringData)(&data);
  EXPECT_EQ(SERVICE(PluginGetStringData)(nullptr, 0, &data), 0);
  pluginhost::release_string_handle(s);
}

TEST(StringServicesTest, CStringAndLenB) {
  REALstring s = pluginhost::new_string_handle(String("hello"));
  EXPECT_STREQ(SERVICE(StringGetCString)(s), "hello");
  auto lenb = reinterpret_cast<REALLenBProc>(SERVICE(REALLoadGlobalMethod)("LenB( s as string ) as integer"));
  ASSERT_NE(lenb, nullptr);
  EXPECT_EQ(lenb(s), 5);
  EXPECT_EQ(SERVICE(REALLoadGlobalMethod)("Len( s as string ) as integer"), nullptr);
  pluginhost::release_string_handle(s);
}

TEST(StringServicesTest, DebugLogWritesOneLine) {
  auto log = reinterpret_cast<REALDebugLogProc>(SERVICE(REALLoadGlobalMethod)("System.DebugLog( message as string )"));
  ASSERT_NE(log, nullptr);
  const testsupport::DebugLogCapture captured;
  REALstring s = pluginhost::new_string_handle(String("Gr\xC3\xBC\xC3\x9F from a plug-in"));
  log(s);
  pluginhost::release_string_handle(s);
  EXPECT_EQ(captured.lines(), std::vector<std::string>{"Gr\xC3\xBC\xC3\x9F from a plug-in"});
}

TEST(StringServicesTest, LockAddsAReferenceThatOutlivesTheCaller) {
  REALstring s = pluginhost::new_string_handle(String("kept"));
  SERVICE(REALLockString)(s);
  pluginhost::release_string_handle(s);  // the first owner lets go
  EXPECT_EQ(pluginhost::string_of(s)->bytes(), "kept");
  SERVICE(REALUnlockObject)(reinterpret_cast<REALobject>(s));  // a string is an object too
}

TEST(StringServicesTest, ObjectPassedAsStringIsNoString) {
  Ref<framework::MemoryBlock> block = framework::NewMemoryBlock(64);
  auto as_string = reinterpret_cast<REALstring>(pluginhost::to_handle(block.get()));
  SERVICE(REALLockString)(as_string);
  SERVICE(REALUnlockString)(as_string);
  SERVICE(REALUnlockString)(as_string);
  SERVICE(REALSetStringEncoding)(as_string, REALEncodingUTF8);
  EXPECT_EQ(SERVICE(REALGetStringEncoding)(as_string), REALEncodingUnknown);
  EXPECT_EQ(SERVICE(StringGetCString)(as_string), nullptr);
  EXPECT_EQ(SERVICE(REALConvertString)(as_string, REALEncodingUTF8), nullptr);
  EXPECT_EQ(block->reference_count(), 1);
  EXPECT_EQ(block->Size(), 64);
}

TEST(MemoryBlockServicesTest, NewBlockPointerAndSize) {
  REALmemoryBlock b = SERVICE(newMemoryBlock)(12);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SERVICE(memoryBlockGetSize)(b), 12);
  auto* bytes = static_cast<unsigned char*>(SERVICE(memoryBlockGetPtr)(b));
  ASSERT_NE(bytes, nullptr);
  bytes[11] = 0x5A;
  EXPECT_EQ(pluginhost::from_handle(b)->UInt8Value(11), 0x5A);
  SERVICE(REALUnlockObject)(reinterpret_cast<REALobject>(b));
  EXPECT_EQ(SERVICE(newMemoryBlock)(-1), nullptr);
  EXPECT_EQ(SERVICE(memoryBlockGetSize)(nullptr), 0);
  EXPECT_EQ(SERVICE(memoryBlockGetPtr)(nullptr), nullptr);
}

TEST(MemoryBlockServicesTest, PtrToMemoryBlockNeitherCopiesNorOwns) {
  auto* foreign = new unsigned char[8]{1, 2, 3, 4, 5, 6, 7, 8};
  REALmemoryBlock b = SERVICE(PtrToMemoryBlock)(foreign);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SERVICE(memoryBlockGetPtr)(b), foreign);
  EXPECT_LE(SERVICE(memoryBlockGetSize)(b), 0);  // size unknown
  foreign[2] = 0x33;
  EXPECT_EQ(static_cast<unsigned char*>(SERVICE(memoryBlockGetPtr)(b))[2], 0x33);
  SERVICE(REALUnlockObject)(reinterpret_cast<REALobject>(b));
  EXPECT_EQ(foreign[7], 8);  // still ours, still there
  delete[] foreign;
  EXPECT_EQ(SERVICE(PtrToMemoryBlock)(nullptr), nullptr);
}

TEST(ObjectServicesTest, ExceptionObjectsByName) {
  REALobject e = SERVICE(PluginNewInstance)("OutOfMemoryException");
  ASSERT_NE(e, nullptr);
  REALstring message = pluginhost::new_string_handle(String("no room"));
  SERVICE(REALSetPropValueString)(e, "Message", message);
  SERVICE(REALSetPropValueInt)(e, "ErrorNumber", 12);
  pluginhost::release_string_handle(message);
  auto* object = dynamic_cast<framework::ExceptionObject*>(pluginhost::from_handle(e));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Message.utf8(), "no room");
  EXPECT_EQ(object->ErrorNumber, 12);
  SERVICE(REALUnlockObject)(e);
  EXPECT_EQ(SERVICE(PluginNewInstance)("NoSuchClassQVX"), nullptr);
}

TEST(ObjectServicesTest, RaisedExceptionWaitsForItsFrame) {
  REALobject e = SERVICE(PluginNewInstance)("NilObjectException");
  {
    pluginhost::CallFrame frame;
    SERVICE(RuntimeRaiseException)(e);
    SERVICE(REALUnlockObject)(e);  // the plug-in drops its reference; the host kept one
    EXPECT_THROW(frame.finish(), framework::NilObjectException);
  }
  pluginhost::CallFrame quiet;
  EXPECT_NO_THROW(quiet.finish());
}

TEST(ObjectServicesTest, InnerFrameKeepsItsOwnException) {
  pluginhost::CallFrame outer;
  {
    pluginhost::CallFrame inner;
    REALobject e = SERVICE(PluginNewInstance)("UnsupportedOperationException");
    SERVICE(RuntimeRaiseException)(e);
    SERVICE(REALUnlockObject)(e);
    EXPECT_THROW(inner.finish(), framework::UnsupportedOperationException);
  }
  EXPECT_NO_THROW(outer.finish());
}

TEST(FolderItemServicesTest, FileRecordRoundTrip) {
  auto item = framework::make<framework::FolderItem>("/tmp/some folder/logo.jpg");
  REALFSSpec spec{};
  ASSERT_EQ(SERVICE(REALFSSpecFromFolderItem)(&spec, pluginhost::to_handle(item.get())), 1);
  EXPECT_EQ(spec.bytes[6], 8);  // name length
  EXPECT_EQ(std::string(reinterpret_cast<char*>(spec.bytes + 7), 8), "logo.jpg");
  REALfolderItem back = SERVICE(FolderItemFromFSSpec)(&spec);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(pluginhost::from_handle(back)->path(), std::filesystem::path("/tmp/some folder/logo.jpg"));
  SERVICE(REALUnlockObject)(reinterpret_cast<REALobject>(back));
}

TEST(FolderItemServicesTest, RecordsThatCannotBeAreRefused) {
  REALFSSpec spec{};
  auto long_name = framework::make<framework::FolderItem>("/tmp/" + std::string(64, 'n'));
  EXPECT_EQ(SERVICE(REALFSSpecFromFolderItem)(&spec, pluginhost::to_handle(long_name.get())), 0);
  EXPECT_EQ(SERVICE(REALFSSpecFromFolderItem)(&spec, nullptr), 0);
  REALFSSpec unknown{};
  unknown.bytes[0] = 1;
  unknown.bytes[2] = 0xFF;  // a folder number never handed out
  EXPECT_EQ(SERVICE(FolderItemFromFSSpec)(&unknown), nullptr);
  REALFSSpec zero{};
  EXPECT_EQ(SERVICE(FolderItemFromFSSpec)(&zero), nullptr);
}

// The plug-in fills the pixels of the picture it then hands over.
TEST(PictureServiceTest, PixelsWrittenByThePlugInAreThePictures) {
  uint32_t* pixels = nullptr;
  REALobject handle = SERVICE(PluginNewPicture)(3, 2, &pixels);
  ASSERT_NE(handle, nullptr);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels[5], 0xFFFFFFFFu);  // white until written
  pixels[4] = 0xFF123456u;
  auto* picture = dynamic_cast<framework::Picture*>(pluginhost::from_handle(handle));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 3);
  EXPECT_EQ(picture->Height(), 2);
  EXPECT_EQ(picture->Pixel(1, 1), 0x123456u);
  SERVICE(REALUnlockObject)(handle);
}

TEST(PictureServiceTest, PictureThatCannotBeHadIsNil) {
  for (const auto& [width, height] : {std::pair{0, 5}, std::pair{5, -1}, std::pair{65536, 65536}}) {
    uint32_t none = 0;
    uint32_t* pixels = &none;
    EXPECT_EQ(SERVICE(PluginNewPicture)(width, height, &pixels), nullptr) << width << "x" << height;
    EXPECT_EQ(pixels, nullptr);
  }
  EXPECT_EQ(SERVICE(PluginNewPicture)(2, 2, nullptr), nullptr);
}

}  // namespace
