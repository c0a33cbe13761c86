// The few registry edits the uninstaller makes. Each result says whether the
// thing is gone afterwards, so that something absent from the start counts as
// removed.
#pragma once
#include <windows.h>
#include <string>

// False when the key cannot be opened or the value is missing or not a text.
bool read_string_value(HKEY root, const char *key, const char *name, std::string &out);
bool delete_value(HKEY root, const char *key, const char *name);
// Deletes a key that has neither sub-keys nor values; true also when there is
// no such key. A key with anything left in it stays, and the result is false.
bool delete_key_if_empty(HKEY root, const char *key);
// Deletes a key with its values; it must have no sub-keys.
bool delete_key(HKEY root, const char *key);
bool key_exists(HKEY root, const char *key);
