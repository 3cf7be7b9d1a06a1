// The simulated devices of the port library's stand-in: the device file, and the slots of the
// library's function table answering from it.
#include "sim_device.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

#include "win32/hosttext.h"
#include "win32/machine.h"

namespace zolt::sim {
namespace {

// The data ids whose answer is a list of 32-bit entries.
bool IsListId(DWORD id) { return id == 1 || id == 2 || id == 20 || id == 21 || id == 23; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A decimal (or 0x hexadecimal) number; nothing for anything else. Larger numbers keep their
// low 32 bits, as a device's register would.
std::optional<DWORD> Number(std::string_view s) {
  s = Trim(s);
  if (s.empty()) return std::nullopt;
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  uint64_t value = 0;
  for (char c : s) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = (value * base + digit) & 0xFFFFFFFFFFFFull;
  }
  return static_cast<DWORD>(value);
}

void PutWord(std::string& out, DWORD value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// "3,4,5" as 32-bit little-endian entries; entries that are no number are left out.
std::string List(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    if (auto n = Number(text.substr(0, comma))) PutWord(out, *n);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return out;
}

// "hex:414200" as bytes, any other text as its own bytes.
std::string Blob(std::string_view text) {
  if (text.substr(0, 4) != "hex:") return std::string(text);
  text.remove_prefix(4);
  std::string out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const auto byte = Number(std::string("0x") + std::string(text.substr(i, 2)));
    if (!byte) break;
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

// The device behind a port handle; the session and channel handles point into it.
struct Port;
struct SubHandle {
  Port* port;
};
struct Port {
  SimDevice device;
  SubHandle session{this};
  SubHandle channel{this};
};

Port* FromPort(HANDLE h) { return static_cast<Port*>(h); }
Port* FromSession(HANDLE h) { return h ? static_cast<SubHandle*>(h)->port : nullptr; }
Port* FromChannel(HANDLE h) { return h ? static_cast<SubHandle*>(h)->port : nullptr; }

BOOL Gone(SimDevice& device) {
  device.lost = true;
  SetLastError(ERROR_DEVICE_NOT_CONNECTED);
  return FALSE;
}

BOOL WINAPI OpenPort(const WCHAR* printerName, HANDLE* port, DWORD* ready) {
  if (!printerName || !port || !ready) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto device = LoadSimDevice(std::u16string_view(printerName, std::char_traits<char16_t>::length(printerName)));
  if (!device) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
  }
  auto* p = new Port;
  p->device = std::move(*device);
  *port = p;
  *ready = p->device.ready ? 1 : 0;
  return TRUE;
}

BOOL WINAPI ClosePort(HANDLE port) {
  delete FromPort(port);
  return TRUE;
}

BOOL WINAPI StartSession(HANDLE port, HANDLE* session, DWORD, DWORD* word) {
  Port* p = FromPort(port);
  if (!p || !session) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (p->device.lost) return Gone(p->device);
  if (!p->device.sessionStarts) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  *session = &p->session;
  if (word) *word = 0;
  return TRUE;
}

BOOL WINAPI OpenChannel(HANDLE port, HANDLE* channel, DWORD channelId, DWORD) {
  Port* p = FromPort(port);
  if (!p || !channel || channelId != 15) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (p->device.lost || p->device.lostAtChannel) return Gone(p->device);
  *channel = &p->channel;
  return TRUE;
}

BOOL WINAPI GetModelName(HANDLE port, DWORD, WCHAR* buffer, DWORD chars) {
  Port* p = FromPort(port);
  if (!p || !buffer || chars == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (p->device.lost) return Gone(p->device);
  // As the device reports it: a name of the buffer's length or longer fills it without a
  // terminator.
  const std::u16string& model = p->device.model;
  const size_t n = std::min<size_t>(model.size(), chars);
  std::copy_n(model.begin(), n, buffer);
  if (n < chars) buffer[n] = u'\0';
  return TRUE;
}

LONG WINAPI GetData(HANDLE session, DWORD id, void* buffer, DWORD size, DWORD* needed) {
  Port* p = FromSession(session);
  if (!p || !needed) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  *needed = 0;
  if (p->device.lost || (p->device.lostAt && *p->device.lostAt == id)) return Gone(p->device);
  auto it = p->device.data.find(id);
  if (it == p->device.data.end()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  const std::string& bytes = it->second;
  *needed = static_cast<DWORD>(bytes.size());
  if (!buffer || size < bytes.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  return IsListId(id) ? static_cast<LONG>(bytes.size() / 4) : 1;
}

BOOL WINAPI GetChannelData(HANDLE channel, DWORD channelId, DWORD sub, void* buffer, DWORD size, DWORD* needed) {
  Port* p = FromChannel(channel);
  if (!p || !needed || channelId != 15) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *needed = 0;
  if (p->device.lost) return Gone(p->device);
  auto it = p->device.channel.find(sub);
  if (it == p->device.channel.end()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  const std::string& bytes = it->second;
  *needed = static_cast<DWORD>(bytes.size());
  if (!buffer && size == 0) {
    // The library answers a size query as a refused read.
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memcpy(buffer, bytes.data(), std::min<size_t>(bytes.size(), size));
  return TRUE;
}

}  // namespace

SimDevice ParseSimDevice(std::string_view text) {
  SimDevice device;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '[') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string key = Lower(Trim(line.substr(0, eq)));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key == "ready") device.ready = Number(value).value_or(0) != 0;
    else if (key == "model") device.model = host::FromUtf8(value);
    else if (key == "trays") device.data[1] = List(value);
    else if (key == "options") device.data[2] = List(value);
    else if (key == "papers") device.data[20] = List(value);
    else if (key == "media") device.data[21] = List(value);
    else if (key == "attributes") device.data[23] = List(value);
    else if (key == "memory") device.data[11] = List(value).substr(0, 4);
    else if (key == "system") device.data[8] = Blob(value);
    else if (key == "marking") device.data[300] = std::string(1, static_cast<char>(Number(value).value_or(0)));
    else if (key == "ramtype") device.channel[0x102] = List(value).substr(0, 4);
    else if (key == "pdl") device.channel[2] = Blob(value);
    else if (key == "other") device.channel[0x103] = Blob(value);
    else if (key == "session") device.sessionStarts = Number(value).value_or(0) != 0;
    else if (key == "address") device.address = std::string(value);
    else if (key == "lost") {
      if (Lower(value) == "channel") device.lostAtChannel = true;
      else if (auto id = Number(value)) device.lostAt = *id;
    } else if (key.rfind("data.", 0) == 0) {
      if (auto id = Number(std::string_view(key).substr(5))) device.data[*id] = Blob(value);
    }
  }
  return device;
}

std::string SimDeviceFileName(std::u16string_view printerName) {
  std::string name = host::ToUtf8(printerName);
  for (char& c : name)
    if (c == '\\' || c == '/' || c == ':') c = '_';
  return name + ".ini";
}

std::optional<SimDevice> LoadSimDevice(std::u16string_view printerName) {
  std::ifstream in(host::Machine::Root() / "devices" / SimDeviceFileName(printerName), std::ios::binary);
  if (!in) return std::nullopt;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseSimDevice(text);
}

void FillSimPortBlock(SimPortBlock* block) {
  if (!block) return;
  block->words[0] = 2;  // the interface version the table follows
  block->words[1] = 0;
  block->slots[0] = reinterpret_cast<void*>(&OpenPort);
  block->slots[1] = reinterpret_cast<void*>(&ClosePort);
  block->slots[2] = reinterpret_cast<void*>(&StartSession);
  block->slots[3] = reinterpret_cast<void*>(&OpenChannel);
  block->slots[4] = reinterpret_cast<void*>(&GetModelName);
  block->slots[5] = nullptr;
  block->slots[6] = reinterpret_cast<void*>(&GetData);
  block->slots[7] = reinterpret_cast<void*>(&GetChannelData);
}

}  // namespace zolt::sim
