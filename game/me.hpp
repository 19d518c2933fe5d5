// The playing character, for the places that act on it: valid from log-on to the end of play.
#pragma once
#include "engine/store/data_files.hpp"

inline character_record& me() { return *cur_char; }
