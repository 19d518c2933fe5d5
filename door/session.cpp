// The door session values and the kit's own terminal state.
#include "door/door.hpp"
#include "door/door_internal.hpp"

fstr<30> user_first_name;
fstr<30> user_last_name;
std::uint8_t node_number = 0;
bool node_given = false;
std::uint8_t graphics_mode = 0;
bool local_mode = false;
std::uint8_t bbs_type = 1;
std::int16_t minutes_allowed = 0;
std::int16_t bonus_minutes = 0;
std::uint8_t com_port = 0;
std::int32_t baud_rate = 0;
std::int32_t locked_baud = 0;
bool fossil_flag = false;
fstr<255> drop_path;
fstr<80> sysop_first_name;
fstr<80> sysop_last_name;
fstr<60> program_title = "Another Vexlor 7.0 Door Game";
std::uint8_t cur_colour = 7;
std::uint8_t cur_back_colour = 0;
bool text_display = false;
volatile std::sig_atomic_t carrier_present = 1;
local_time start_time;
std::int16_t security_level = 0;
bool debug_mode = false;
bool carrier_lost = false;
door_config_values door_cfg;

namespace door_state {
int line_counter = 1;
int page_length = 25;
bool paging = false;
bool command_stacking = false;
std::string stacked;
int pending_key = -1;
int decoded_key = -1;
std::string stuffed;
std::string macro;
bool link_ready = false;
int hold_count = 0;
bool in_carrier_exit = false;
}  // namespace door_state
