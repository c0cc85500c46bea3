#pragma once
// The JSON form of the preferences: Prefs is written with all ten keys, PrefsPatch read from
// "prefs.set" with every key optional.
#include "model/Prefs.h"
#include "util/Json.h"

namespace brindlow {

bool writeJson(Json& out, const Prefs& value);
bool readJson(const Json& j, PrefsPatch& out);

}  // namespace brindlow
