#include "config/options.hpp"
namespace cfg {
void reset_daily_stats(character_record&) {}
void player_editor() {}
}
