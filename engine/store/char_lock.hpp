// One character plays on one node at a time. A node playing a character holds a lock on
// the character's number in "players.lck" in the game directory; the kernel drops it when
// the process ends, however it ends, so a node that died never locks its character out
// (the character's online flag alone proves nothing).
#pragma once
#include <cstdint>
#include <vector>

struct character_record;

constexpr const char* char_lock_file_name = "players.lck";

// Takes this node's lock on the character of the number (a node holds one at a time: the
// lock of another character it held goes). False while another live node holds it.
bool lock_character(std::int16_t number);
// The orderly exit marks this node's character as gone from play: from then on it is off line
// to this node as well (the rankings written at the exit). Its lock stays until the process
// ends, so no other node takes the character up before its last save.
void leave_play();
// Gives up this node's character lock and its place in play: a later session in the same
// process (a test) starts as a fresh node would.
void release_character();
// True while a live process (another node) holds the lock of the character of the number: the
// character is in play. This node's own lock does not count.
bool character_in_play(std::int16_t number);
// True while a live process holds the lock of any character: the game is in play.
bool any_character_in_play();
// Whether a character is playing: this node's own character until it leaves play, or one
// whose lock a live process holds. The online byte alone proves nothing (a node that was
// killed leaves it set); it is taken as it stands only where locks cannot be seen (no lock
// file in the game directory, a file system without locks). Every place that decides whether
// another character is on line asks this: one look at the locks (a few system calls, about
// one per node in play) serves a walk over every character.
class on_line_now {
public:
    on_line_now();
    bool operator()(const character_record& c) const;

private:
    std::vector<std::int16_t> held_;  // sorted
    bool known_ = false;
};
// The same for one character.
bool character_on_line(const character_record& c);
