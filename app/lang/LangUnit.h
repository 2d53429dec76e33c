#pragma once
// The language-file unit lives in lib/lang, where the event editor and the tool both reach it.
#include "lib/lang/LangUnit.h"
