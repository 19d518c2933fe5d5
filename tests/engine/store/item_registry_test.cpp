// Item records and the item registry "items.dat": byte images at their documented offsets,
// matching by ScriptID, numbering, the built-in items, and two nodes registering at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sys/wait.h>

#include "engine/item_state.hpp"
#include "engine/store/debug_log.hpp"
#include "engine/store/record_file.hpp"
#include "support/child.hpp"

namespace {
struct registry : item_state {
    static item_record scripted(const std::string& name, const std::string& id, std::int32_t events = 2) {
        item_record i = item(name);
        i.script_id = id;
        i.script_events = events;
        return i;
    }
    static std::vector<registry_record> records() {
        std::vector<registry_record> recs;
        EXPECT_TRUE(parse_records(read_file("items.dat"), recs));
        return recs;
    }
    static std::string debug_text() { return file_present("debug.txt") ? read_file("debug.txt") : ""; }
};
}  // namespace

TEST_F(registry, item_record_bytes_at_their_offsets) {
    golden g = item_image("`2Potion of Healing", -5, 300, 2500, 7, 10, 4, 1, 1, 0, 450, "PotH-03091997-QZ-N");
    g.le(66, 0xDEADBEEF, 4);  // the old list link: ignored on reading
    item_record r;
    decode_record(g.b, r);
    EXPECT_EQ(r.name.view(), "`2Potion of Healing");
    EXPECT_EQ(r.power, -5);
    EXPECT_EQ(r.max_power, 300);
    EXPECT_EQ(r.cost, 2500);
    EXPECT_EQ(r.charges, 7);
    EXPECT_EQ(r.position, 10);
    EXPECT_EQ(r.required_level, 4);
    EXPECT_EQ(r.flags, 1);
    EXPECT_EQ(r.identified, 1);
    EXPECT_EQ(r.equipped, 0);
    EXPECT_EQ(r.script_events, 450);
    EXPECT_EQ(r.script_id.view(), "PotH-03091997-QZ-N");
    // Written back: the same bytes, the link as zeros.
    g.le(66, 0, 4);
    EXPECT_EQ(encode_record(r), g.b);
}

TEST_F(registry, registry_record_bytes_at_their_offsets) {
    std::string item = item_image("Sword", 12, 40, 900, 0, 7, 2, 0, 0, 1, 133, "Swrd-01011998-AB-Y").b;
    std::string image = registry_image("Sword", "Swrd-01011998-AB-Y", 70000, item);
    ASSERT_EQ(image.size(), 116u);
    registry_record r;
    decode_record(image, r);
    EXPECT_EQ(r.name.view(), "Sword");
    EXPECT_EQ(r.script_id.view(), "Swrd-01011998-AB-Y");
    EXPECT_EQ(r.number, 70000);
    EXPECT_EQ(r.item.power, 12);
    EXPECT_EQ(r.item.max_power, 40);
    EXPECT_EQ(r.item.equipped, 1);
    EXPECT_EQ(r.item.script_events, 133);
    EXPECT_EQ(encode_record(r), image);
    // A short block reads as zero-filled; an over-long length byte is held to the field.
    std::string bad = image.substr(0, 30);
    bad[0] = char(200);
    decode_record(bad, r);
    EXPECT_EQ(r.name.size(), 20u);
    EXPECT_EQ(r.number, 0);
    EXPECT_TRUE(r.item.name.empty());
}

TEST_F(registry, numbers_are_given_in_order_and_found_by_scriptid) {
    EXPECT_EQ(next_item_registry_number(), 1);
    item_record a = scripted("Amulet", "Amul-01011998-AB-N");
    item_record b = scripted("Boots", "Boot-01011998-AB-N");
    register_item(a);
    register_item(b);
    register_item(a);                                           // already there: nothing added
    register_item(scripted("Plain", ""));                       // no ScriptID: not registered
    register_item(scripted("Quiet", "Quie-01011998-AB-N", 0));  // no events: not registered
    std::vector<registry_record> recs = records();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].name.view(), "Amulet");
    EXPECT_EQ(recs[0].number, 1);
    EXPECT_EQ(recs[1].number, 2);
    EXPECT_EQ(encode_record(recs[1].item), encode_record(b));
    EXPECT_EQ(get_item_script_num(b), 2);
    EXPECT_EQ(item_script_file(get_item_script_num(a)), "items/1.scr");
    EXPECT_EQ(next_item_registry_number(), 3);

    auto found = item_by_scriptid("Boots", "Boot-01011998-AB-N");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name.view(), "Boots");
    EXPECT_FALSE(item_by_scriptid("boots", "Boot-01011998-AB-N"));
    EXPECT_FALSE(item_by_scriptid("Boots", "Amul-01011998-AB-N"));
    auto only = item_by_only_scriptid("Amul-01011998-AB-N");
    ASSERT_TRUE(only);
    EXPECT_EQ(only->name.view(), "Amulet");
    EXPECT_FALSE(item_by_only_scriptid("Nope-01011998-AB-N"));

    // The highest number plus one, whatever the order and gaps in the file.
    write_file("items.dat", registry_image("X", "X-1", 5, std::string(70, '\0')) +
                                registry_image("Y", "Y-1", 2, std::string(70, '\0')));
    EXPECT_EQ(add_item_to_registry(scripted("Z", "Z-1")), 6);
}

TEST_F(registry, a_y_in_the_18th_place_matches_by_scriptid_alone) {
    std::string empty_item(70, '\0');
    write_file("items.dat", registry_image("Sword", "Swrd-01011998-AB-N", 1, empty_item) +
                                registry_image("Sword", "Magc-01011998-AB-y", 2, empty_item));
    EXPECT_TRUE(item_is_registered(scripted("Sword", "Swrd-01011998-AB-N")));
    EXPECT_FALSE(item_is_registered(scripted("Old Sword", "Swrd-01011998-AB-N")));
    EXPECT_EQ(get_item_script_num(scripted("Old Sword", "Magc-01011998-AB-y")), 2);
    // item_by_scriptid always wants the name too.
    EXPECT_FALSE(item_by_scriptid("Old Sword", "Magc-01011998-AB-y"));
}

TEST_F(registry, an_unregistered_item_has_number_minus_one_and_is_logged) {
    EXPECT_EQ(get_item_script_num(scripted("Ghost", "Ghst-01011998-AB-N")), -1);
    EXPECT_EQ(debug_text(),
              "Item with script not in Item registry.\n Name     : Ghost\n ScriptID : Ghst-01011998-AB-N\n");
    // The missing registry's warning goes in only in full debug mode.
    std::remove("debug.txt");
    debug_mode = true;
    EXPECT_FALSE(item_is_registered(scripted("Ghost", "Ghst-01011998-AB-N")));
    EXPECT_NE(debug_text().find("WARNING:Item registry file does not exist"), std::string::npos);
}

TEST_F(registry, an_unreadable_registry_ends_the_game_with_code_20) {
    write_file("items.dat", std::string(117, 'x'));  // a torn last record
    for (auto step : {+[] { item_is_registered(registry::scripted("A", "B")); },
                      +[] { add_item_to_registry(registry::scripted("A", "B")); }}) {
        child_result r = run_in_child(step);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.code, 20);
        EXPECT_EQ(r.out, "`4Could not read items.dat : damaged, not a whole number of records\r\n");
    }
    EXPECT_EQ(read_file("items.dat"), std::string(117, 'x'));  // never rewritten
}

TEST_F(registry, the_six_built_in_items) {
    struct row {
        item_record (*make)();
        std::string name, id;
        int power, cost, charges, position, level, flags, identified, events;
    };
    const row rows[] = {
        {bow_of_the_damned, "Bow of the Damned", "BotD-02081997-QZ-N", 112, 12000, 0, 7, 7, 0, 0, 133},
        {potion_of_healing, "`2Potion of Healing", "PotH-03091997-QZ-N", 0, 2500, 1, 10, 1, 1, 1, 450},
        {ring_of_combat, "Ring of Combat", "RCom-03091997-QZ-N", 0, 4000, 0, 5, 5, 0, 0, 133},
        {four_leaf_clover, "`2Four Leaf Clover", "FrLC-03091997-QZ-N", 0, 300, 0, 2, 2, 0, 0, 133},
        {pendant_of_life, "Pendant of Life", "PLif-04111997-QZ-N", 0, 12000, 1, 2, 1, 1, 0, 165},
        {helmet_of_stealth, "Helmet of Stealth", "HofS-03231997-QZ-N", 36, 12000, 0, 1, 4, 0, 0, 133},
    };
    for (const row& r : rows) {
        std::string expect = item_image(r.name, r.power, r.power, r.cost, r.charges, r.position, r.level, r.flags,
                                        r.identified, 0, r.events, r.id)
                                 .b;
        EXPECT_EQ(encode_record(r.make()), expect) << r.name;
    }
    // Each registered itself once, numbered in the order built.
    for (const row& r : rows) r.make();
    std::vector<registry_record> recs = records();
    ASSERT_EQ(recs.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(recs[k].name.view(), rows[k].name);
        EXPECT_EQ(recs[k].script_id.view(), rows[k].id);
        EXPECT_EQ(recs[k].number, k + 1);
    }
}

TEST_F(registry, two_nodes_registering_at_once_get_distinct_numbers) {
    constexpr int nodes = 4, per_node = 25;
    std::vector<pid_t> pids;
    for (int n = 0; n < nodes; ++n)
        pids.push_back(start_child([n] {
            for (int k = 0; k < per_node; ++k)
                add_item_to_registry(registry::scripted("Item " + std::to_string(n) + "-" + std::to_string(k),
                                                        "Node-0" + std::to_string(n) + "-" + std::to_string(k)));
        }));
    for (pid_t p : pids) {
        child_result r = wait_child(p);
        EXPECT_TRUE(r.exited);
        EXPECT_EQ(r.code, 0);
    }
    std::vector<registry_record> recs = records();
    ASSERT_EQ(recs.size(), std::size_t(nodes * per_node));
    std::set<std::int32_t> numbers;
    for (const auto& r : recs) numbers.insert(r.number);
    EXPECT_EQ(numbers.size(), recs.size());
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), nodes * per_node);
    // Numbers stand in file order.
    for (std::size_t k = 0; k < recs.size(); ++k) EXPECT_EQ(recs[k].number, std::int32_t(k + 1));
}
