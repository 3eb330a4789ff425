#pragma once
// Everything the data layer offers, in one include.

#include "data/Archive.h"
#include "data/DataStore.h"
#include "data/Errors.h"
#include "data/IniText.h"
#include "data/Numbers.h"
#include "data/Options.h"
#include "data/Paths.h"
#include "data/Player.h"
#include "data/Random.h"
#include "data/Scramble.h"
