// Named registry values exchanged through an ordered map from value name to
// Value; the empty name stands for the key's default value. Text is read and
// written as ANSI bytes.
#pragma once
#include <windows.h>
#include "value/krhash.h"
#include "value/krval.h"

// Reads every value the map names; a value that cannot be read keeps the
// map's entry as its default. False (map untouched) when the key can't be opened.
bool read_registry_values(HKEY root, const krval &sub_key, krhash &values);
// Writes every entry into the existing key. False when it can't be opened for writing.
bool write_registry_values(HKEY root, const krval &sub_key, krhash &values);
// Creates the key with any missing intermediate keys, or opens an existing one.
bool create_registry_key(HKEY root, const krval &sub_key);
