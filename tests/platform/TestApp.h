// Helpers of the platform tests.
#pragma once

#include "tests/common/TestApp.h"

// Code page 932 bytes of あ (hiragana a).
inline const AnsiString kHiraganaA = "\x82\xa0";
