#pragma once
// The letters have their home in wordstore/letters.h; this name is kept for the files that still
// include it.

#include "wordstore/letters.h"
