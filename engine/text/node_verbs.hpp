// The verbs of the message queues between nodes, in one list. A queue line is a verb, then
// words by position ("LEAVEREALM 12 0", "MESSAGE hello"); a line to send can only be made
// from one of these verbs, and the dispatcher reads a line's first word against the same
// list, so a verb misspelt in a sender or a receiver does not compile.
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

enum class node_verb {
    // Fights in the chat room.
    chat_combat,
    cc_received,
    chat_attack,
    chat_damage,
    chat_ddamage,
    chat_run,
    chat_flee,
    chat_victory,
    // The chat room.
    page,
    pageanswer,
    enterchat,
    leavechat,
    message,
    // Coming into and leaving the realm.
    enterrealm,
    leaverealm,
    // Guild halls and raids.
    ruckus,
    guarddie,
    raidflee,
    raiddie,
    guildcombat,
    gnumquery,
    hallclear,
    // Online fights: the challenge, and the fight's own lines that its wait takes.
    combat,
    creceive,
    surprise,
    attack,
    run,
    flee,
    victory,
    damage,
    ddamage,
};

// The verbs as they stand in a queue line, in the order of node_verb.
inline constexpr std::array<std::string_view, 31> node_verb_names = {
    "CHAT_COMBAT",  "CC_RECEIVED", "CHAT_ATTACK", "CHAT_DAMAGE", "CHAT_DDAMAGE", "CHAT_RUN",    "CHAT_FLEE",
    "CHAT_VICTORY", "PAGE",        "PAGEANSWER",  "ENTERCHAT",   "LEAVECHAT",    "MESSAGE",     "ENTERREALM",
    "LEAVEREALM",   "RUCKUS",      "GUARDDIE",    "RAIDFLEE",    "RAIDDIE",      "GUILDCOMBAT", "GNUMQUERY",
    "HALLCLEAR",    "COMBAT",      "CRECEIVE",    "SURPRISE",    "ATTACK",       "RUN",         "FLEE",
    "VICTORY",      "DAMAGE",      "DDAMAGE",
};
static_assert(node_verb_names.size() == static_cast<std::size_t>(node_verb::ddamage) + 1);

constexpr std::string_view verb_name(node_verb v) { return node_verb_names[static_cast<std::size_t>(v)]; }

// The verb of an upper-case word; none for a word that is no verb.
constexpr std::optional<node_verb> find_node_verb(std::string_view word) {
    for (std::size_t i = 0; i < node_verb_names.size(); ++i)
        if (node_verb_names[i] == word) return static_cast<node_verb>(i);
    return std::nullopt;
}

// One line for a queue: its verb alone, or the verb, one blank and the words after it.
class node_line {
public:
    node_line(node_verb v) : text_(verb_name(v)) {}
    node_line(node_verb v, std::string_view words) : text_(verb_name(v)) {
        text_ += ' ';
        text_ += words;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};
