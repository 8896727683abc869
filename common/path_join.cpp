#include "common/path_join.h"

#include <cstring>

// Appends text at out[*used], keeping room for the NUL; returns false when it was cut.
static bool AppendBounded(char* out, size_t capacity, size_t* used, const char* text) {
  if (text == nullptr) return true;
  for (; *text != '\0'; ++text) {
    if (*used + 1 >= capacity) return false;
    out[(*used)++] = *text;
  }
  return true;
}

bool JoinPath(char* out, size_t capacity, const char* first, const char* second,
              const char* third) {
  if (capacity == 0) return false;
  size_t used = 0;
  const bool fits = AppendBounded(out, capacity, &used, first) &&
                    AppendBounded(out, capacity, &used, second) &&
                    AppendBounded(out, capacity, &used, third);
  out[used] = '\0';
  return fits;
}

template <typename Char>
const Char* FindLastBackslash(const Char* path, typename LeadTestOf<Char>::Type isLeadByte) {
  const Char* last = nullptr;
  for (const Char* at = path; *at != 0;
       at += isLeadByte != nullptr && isLeadByte(*at) && at[1] != 0 ? 2 : 1) {
    if (*at == '\\') last = at;
  }
  return last;
}
template const char* FindLastBackslash(const char*, LeadTestOf<char>::Type);
template const wchar_t* FindLastBackslash(const wchar_t*, LeadTestOf<wchar_t>::Type);

bool EndsInBackslash(const char* path, LeadByteTest isLeadByte) {
  const char* last = FindLastBackslash(path, isLeadByte);
  return last != nullptr && last[1] == '\0';
}

bool CutAtLastBackslash(char* path, LeadByteTest isLeadByte) {
  const char* last = FindLastBackslash(path, isLeadByte);
  if (last == nullptr) return false;
  path[last - path] = '\0';
  return true;
}

bool MakePartialPath(char* out, size_t capacity, const char* target) {
  if (!JoinPath(out, capacity, target, nullptr) || out[0] == '\0') return false;
  char* last = out + std::strlen(out) - 1;
  if (*last == '~') return false;
  *last = '~';
  return true;
}
