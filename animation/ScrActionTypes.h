// The lookup of an `act` block's type word in the action-type vocabulary (sg/Action.h).
#pragma once

#include "lexer/ScrApi.h"

struct SgActionWord;

// Looks up a type word (already shrunk and normalised; letter case is ignored). Returns 1 when
// the word is accepted: *row is its row of the vocabulary, or null for a word of a group
// (animation, viewport, ...) that names none of the group's words and is taken without a type.
// Returns 0 for a word nothing accepts.
SCR_API int ScrLookupActionType(const char* word, const SgActionWord** row);
