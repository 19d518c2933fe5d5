// The text drop files, built line by line as the BBS software writes them, in each of the
// three line-end forms.
#include <array>
#include <sys/stat.h>

#include "door_fixture.hpp"

namespace {
using lines = std::vector<std::string>;
const char* const eols[] = {"\r\n", "\n", "\r"};

struct dropfile : door_fixture {
    void put(const std::string& name, const lines& l, const std::string& eol = "\r\n") {
        std::string s;
        for (const auto& x : l) s += x + eol;
        write_file(dir.file(name), s);
    }
    door_stop read(int type) {
        bbs_type = static_cast<std::uint8_t>(type);
        return load_drop_file();
    }
    void expect_caller(const char* first, const char* last) {
        EXPECT_EQ(user_first_name, first);
        EXPECT_EQ(user_last_name, last);
    }
};

const lines dorinfo = {
    "The Cellar BBS",
    "ANNA",
    "BERG",  // 1-3 BBS name, sysop
    "COM2",
    "38400 BAUD,N,8,1",
    " 0",  // 4 port, 5 speed, 6
    "Carl",
    "Dorn",
    "Oslo, Norway",  // 7 first name, 8 last name, 9
    "1",
    "110",
    "45",  // 10 graphics, 11 security, 12 minutes
};

const lines chain_txt = {
    "7",
    "carl dorn",
    "Carl Dorn",
    "",
    "34",  // 1, 2 name, 3-5
    "M",
    "1500",
    "01/15/26",
    "80",
    "25",  // 6-10
    "110",
    "0",
    "0",
    "1",
    "1",  // 11 security, 12-13, 14 ANSI, 15 remote
    "2259.58",
    "/bbs/gfiles/",
    "/bbs/data/",
    "x.log",  // 16 seconds left, 17-19
    "38400",
    "2",
    "The Cellar BBS",
    "Anna Berg",  // 20 speed, 21 port, 22 BBS, 23 sysop
};

const lines info_bbs = {
    "Carl Dorn", "57600", "1",  "110",   // 1 name, 2 speed (more than 16 bits), 3 port, 4 security
    "FALSE",     "Oslo",  "45", "TRUE",  // 5 local, 6, 7 minutes, 8 ANSI
};

const lines door_sys = {
    "COM1:",
    "57600",
    "8",
    "1",
    "38400",  // 1 port, 2-4, 5 speed
    "Y",
    "Y",
    "Y",
    "Y",
    "Carl Dorn",  // 6-9, 10 name
    "Oslo, Norway",
    "555-1234",
    "555-1234",
    "SECRET",
    "110",  // 11-14, 15 security
    "12",
    "01/15/26",
    "2700",
    "45",
    "GR",
    "25",
    "Y",  // 16-18, 19 minutes, 20 graphics
};

const lines sfdoors = {
    "7",  "Carl Dorn", "CARL",     "",     "38400", "2",  // 1, 2 name, 3-4, 5 speed, 6 port
    "45", "1234",      "01/15/26", "TRUE", "110",         // 7 minutes, 8-9, 10 ANSI, 11 security
};

const lines jumper = {
    "x", "x",  "x", "x",     "Carl", "Dorn",  // 1-4, 5 first name, 6 last name
    "",  "45", "2", "38400",                  // 7, 8 minutes, 9 port, 10 speed
    "x", "x",  "x", "x",     "TRUE", "TRUE",  // 11-14, 15 and 16 graphics
};

const lines tribbs = {
    "7", "Carl Dorn", "CARL", "",  "",  "Y",     "45",     // 1, 2 name, 3-5, 6 ANSI, 7 minutes
    "",  "",          "",     "3", "2", "38400", "57600",  // 8-10, 11 node, 12 port, 13 speed, 14 locked
};

const lines doorfile_sr = {
    "Carl Dorn", "1",      "0",      "25",  // 1 name, 2 ANSI, 3-4
    "38400 N81", "2 COM2", "45 min",        // 5 speed, 6 port, 7 minutes (first words)
};
}  // namespace

TEST_F(dropfile, dorinfo1) {
    for (const char* eol : eols) {
        door_reset_session();
        put("dorinfo1.def", dorinfo, eol);
        ASSERT_FALSE(read(9));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(com_port, 2);
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(graphics_mode, 3);
        EXPECT_TRUE(door_cfg.ansi);
        EXPECT_EQ(security_level, 110);
        EXPECT_EQ(minutes_allowed, 45);
        EXPECT_EQ(door_cfg.drop_file_name, "dorinfo1.def");
    }
}

TEST_F(dropfile, dorinfo_names_by_node) {
    lines l = dorinfo;
    node_number = 12;
    put("dorinfoC.def", l);
    ASSERT_FALSE(read(7));
    EXPECT_EQ(graphics_mode, 2);  // RBBS counts its graphics one lower
    node_number = 40;
    put("dorinfo40.def", l);
    ASSERT_FALSE(read(3));
    EXPECT_EQ(graphics_mode, 3);
    node_number = 5;
    EXPECT_EQ(read(3).text, "Can't open DORINFO5.DEF");
    node_number = 12;
    door_cfg.colour1 = true;  // COLOR1 adds one for every type
    ASSERT_FALSE(read(7));
    EXPECT_EQ(graphics_mode, 3);
    EXPECT_EQ(node_char(0), "0");
    EXPECT_EQ(node_char(9), "9");
    EXPECT_EQ(node_char(10), "A");
    EXPECT_EQ(node_char(35), "Z");
    EXPECT_EQ(node_char(36), "36");
}

TEST_F(dropfile, dorinfo_local_forms) {
    for (const char* speed : {"LOCAL", "0 BAUD", "LOCALBAUD", "local"}) {
        lines l = dorinfo;
        l[4] = speed;
        put("dorinfo1.def", l);
        door_reset_session();
        ASSERT_FALSE(read(9));
        EXPECT_TRUE(local_mode) << speed;
        EXPECT_EQ(baud_rate, 0) << speed;
    }
    lines l = dorinfo;
    l[3] = "COM0";
    l[9] = " 0";
    put("dorinfo1.def", l);
    ASSERT_FALSE(read(9));
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(com_port, 0);
    EXPECT_EQ(graphics_mode, 2);
    l[3] = "CO";  // a short line is port 0, never a read past its end
    put("dorinfo1.def", l);
    ASSERT_FALSE(read(9));
    EXPECT_EQ(com_port, 0);
}

TEST_F(dropfile, chain_txt) {
    for (const char* eol : eols) {
        door_reset_session();
        put("chain.txt", chain_txt, eol);
        ASSERT_FALSE(read(5));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(security_level, 110);
        EXPECT_EQ(graphics_mode, 3);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(minutes_allowed, 37);  // 2259.58 seconds
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_EQ(com_port, 2);
        EXPECT_EQ(door_cfg.bbs_name, "The Cellar BBS");
        EXPECT_EQ(sysop_first_name, "ANNA");
        EXPECT_EQ(sysop_last_name, "BERG");
    }
}

TEST_F(dropfile, chain_txt_local) {
    lines l = chain_txt;
    l[13] = "0";
    l[14] = "0";
    l[15] = "2700";
    l[19] = "KB";
    put("chain.txt", l);
    ASSERT_FALSE(read(5));
    EXPECT_EQ(graphics_mode, 1);
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(minutes_allowed, 45);
    EXPECT_EQ(baud_rate, 0);
}

namespace {
std::vector<std::string> logged;
void log_line(std::string_view l) { logged.emplace_back(l); }
}  // namespace

TEST_F(dropfile, chain_txt_with_an_empty_alias_takes_the_real_name) {
    // alias, real name, first and last name read; the last file names no caller at all.
    const std::array<const char*, 4> cases[] = {
        {"", "Carl Dorn", "CARL", "DORN"}, {"  ", "Carl Dorn", "CARL", "DORN"}, {"Blade", "Carl Dorn", "BLADE", ""}};
    for (const auto& [alias, real, first, last] : cases) {
        lines l = chain_txt;
        l[1] = alias;
        l[2] = real;
        put("chain.txt", l);
        ASSERT_FALSE(read(5)) << alias;
        expect_caller(first, last);
    }
    // A file read but naming no caller says so in the debug log; its screen text stays.
    set_door_log_writer(log_line);
    put("chain.txt", {"7", "", ""});
    door_stop s = read(5);
    EXPECT_EQ(s.code, 17);
    EXPECT_EQ(s.text, "Error in opening \"Chain.txt\"");
    EXPECT_EQ(logged, std::vector<std::string>{"FORCE:Drop file chain.txt holds no caller's name"});
    set_door_log_writer(nullptr);
}

TEST_F(dropfile, info_bbs) {
    for (const char* eol : eols) {
        door_reset_session();
        put("info.bbs", info_bbs, eol);
        ASSERT_FALSE(read(8));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(baud_rate, 57600);
        EXPECT_EQ(com_port, 1);
        EXPECT_EQ(security_level, 110);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(minutes_allowed, 45);
        EXPECT_EQ(graphics_mode, 3);
    }
    lines l = info_bbs;
    l[4] = "TRUE";
    l[7] = "FALSE";
    put("info.bbs", l);
    ASSERT_FALSE(read(8));
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(graphics_mode, 1);
}

TEST_F(dropfile, door_sys) {
    for (const char* eol : eols) {
        door_reset_session();
        put("door.sys", door_sys, eol);
        ASSERT_FALSE(read(11));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(com_port, 1);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_EQ(security_level, 110);
        EXPECT_EQ(minutes_allowed, 45);
        EXPECT_EQ(graphics_mode, 3);
    }
}

TEST_F(dropfile, door_sys_graphics_and_port) {
    const std::pair<const char*, int> forms[] = {{"GR", 3}, {"gr", 1}, {"RIP", 5}, {"NG", 1}, {" GR ", 3}};
    for (auto [word, mode] : forms) {
        lines l = door_sys;
        l[19] = word;
        put("door.sys", l);
        ASSERT_FALSE(read(11));
        EXPECT_EQ(graphics_mode, mode) << word;
    }
    lines l = door_sys;
    l[0] = "COM0:";
    l[18] = " 45 ";  // blanks around a number
    put("door.sys", l);
    ASSERT_FALSE(read(11));
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(com_port, 0);
    EXPECT_EQ(minutes_allowed, 45);
}

TEST_F(dropfile, sfdoors) {
    for (const char* eol : eols) {
        door_reset_session();
        put("sfdoors.dat", sfdoors, eol);
        ASSERT_FALSE(read(12));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_EQ(com_port, 2);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(minutes_allowed, 45);
        EXPECT_EQ(graphics_mode, 3);
        EXPECT_EQ(security_level, 110);
    }
    lines l = sfdoors;
    l[4] = "0";
    l[9] = "FALSE";
    put("sfdoors.dat", l);
    ASSERT_FALSE(read(12));
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(graphics_mode, 1);
}

TEST_F(dropfile, jumper) {
    for (const char* eol : eols) {
        door_reset_session();
        security_level = 99;
        put("jumper.dat", jumper, eol);
        ASSERT_FALSE(read(13));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(security_level, 0);
        EXPECT_EQ(minutes_allowed, 45);
        EXPECT_EQ(com_port, 2);
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(graphics_mode, 3);
    }
    const std::tuple<const char*, const char*, int> forms[] = {
        {"TRUE", "FALSE", 2}, {"FALSE", "FALSE", 1}, {"FALSE", "TRUE", 3}, {"TRUE", "x", 1}};
    for (auto [l15, l16, mode] : forms) {
        lines l = jumper;
        l[14] = l15;
        l[15] = l16;
        put("jumper.dat", l);
        ASSERT_FALSE(read(13));
        EXPECT_EQ(graphics_mode, mode) << l15 << " " << l16;
    }
    lines l = jumper;
    l[8] = "0";
    put("jumper.dat", l);
    ASSERT_FALSE(read(13));
    EXPECT_TRUE(local_mode);
}

TEST_F(dropfile, tribbs) {
    for (const char* eol : eols) {
        door_reset_session();
        put("tribbs.sys", tribbs, eol);
        ASSERT_FALSE(read(14));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(graphics_mode, 3);
        EXPECT_EQ(minutes_allowed, 45);
        EXPECT_EQ(node_number, 3);
        EXPECT_EQ(com_port, 2);
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_EQ(locked_baud, 57600);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(security_level, 0);
    }
    lines l = tribbs;
    l[10] = "300";  // no node above 255: refused, never wrapped
    put("tribbs.sys", l);
    door_stop s = read(14);
    EXPECT_EQ(s.code, 18);
    EXPECT_EQ(s.text, "Invalid parameter 300");
    l[10] = "3";
    l[12] = "0";
    put("tribbs.sys", l);
    ASSERT_FALSE(read(14));
    EXPECT_TRUE(local_mode);
}

TEST_F(dropfile, doorfile_sr) {
    for (const char* eol : eols) {
        door_reset_session();
        put("DOORFILE.SR", doorfile_sr, eol);
        ASSERT_FALSE(read(15));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(security_level, 255);
        EXPECT_EQ(graphics_mode, 3);
        EXPECT_EQ(baud_rate, 38400);
        EXPECT_EQ(com_port, 2);
        EXPECT_FALSE(local_mode);
        EXPECT_EQ(minutes_allowed, 45);
    }
    lines l = doorfile_sr;
    l[1] = "0";
    l[5] = "0";
    put("DOORFILE.SR", l);
    ASSERT_FALSE(read(15));
    EXPECT_EQ(graphics_mode, 1);
    EXPECT_TRUE(local_mode);
}

TEST_F(dropfile, short_files_leave_values_as_they_were) {
    struct short_case {
        int type;
        const char* file;
        const lines* full;
        std::size_t keep;
    };
    const short_case cases[] = {
        {9, "dorinfo1.def", &dorinfo, 8}, {5, "chain.txt", &chain_txt, 11},     {8, "info.bbs", &info_bbs, 4},
        {11, "door.sys", &door_sys, 12},  {12, "sfdoors.dat", &sfdoors, 4},     {13, "jumper.dat", &jumper, 6},
        {14, "tribbs.sys", &tribbs, 5},   {15, "DOORFILE.SR", &doorfile_sr, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        door_reset_session();
        minutes_allowed = 77;
        node_number = 4;
        lines l(c.full->begin(), c.full->begin() + static_cast<long>(c.keep));
        put(c.file, l);
        ASSERT_FALSE(read(c.type));
        expect_caller("CARL", "DORN");
        EXPECT_EQ(minutes_allowed, 77);
        EXPECT_EQ(node_number, 4);
    }
}

TEST_F(dropfile, missing_unreadable_or_nameless) {
    drop_path = "";
    const std::pair<int, const char*> messages[] = {
        {9, "Can't open DORINFO1.DEF"},
        {5, "Error in opening \"Chain.txt\""},
        {8, "Error in opening \"info.bbs\""},
        {11, "Cannot load DOOR.SYS"},
        {12, "Cannot load SFDOORS.DAT"},
        {13, "Cannot open JUMPER.DAT"},
        {14, "Cannot open TRIBBS.SYS"},
        {15, "Cannot load DOORFILE.SR"},
        {6, "... Unable to open pcboard.sys file..."},
        {10, "... Unable to open pcboard.sys file..."},
        {4, "Can't read system file PCBOARD.SYS"},
    };
    for (auto [type, text] : messages) {
        door_stop s = read(type);
        EXPECT_EQ(s.code, 17) << type;
        EXPECT_EQ(s.text, text);
    }
    drop_path = "/no/such/node/";
    EXPECT_EQ(read(11).text, "Cannot load /no/such/node/DOOR.SYS");
    // A file that names no caller stops the same way.
    drop_path = "";
    lines l = door_sys;
    l[9] = "   ";
    put("door.sys", l);
    EXPECT_EQ(read(11).code, 17);
    put("door.sys", {});
    EXPECT_EQ(read(11).code, 17);
    // A directory by the file's name cannot be read.
    ASSERT_EQ(mkdir(dir.file("chain.txt").c_str(), 0755), 0);
    EXPECT_EQ(read(5).code, 17);
}

TEST_F(dropfile, names_found_case_blind) {
    put("DOOR.SYS", door_sys);
    ASSERT_FALSE(read(11));
    expect_caller("CARL", "DORN");
    put("Dorinfo1.Def", dorinfo);
    ASSERT_FALSE(read(9));
    // The exact name wins over another case.
    lines l = door_sys;
    l[9] = "Exact Name";
    put("door.sys", l);
    ASSERT_FALSE(read(11));
    expect_caller("EXACT", "NAME");
}

TEST_F(dropfile, drop_path_is_used) {
    ASSERT_EQ(mkdir(dir.file("node1").c_str(), 0755), 0);
    std::string s;
    for (const auto& x : door_sys) s += x + "\r\n";
    write_file(dir.file("node1/door.sys"), s);
    drop_path = dir.file("node1/");
    ASSERT_FALSE(read(11));
    expect_caller("CARL", "DORN");
}

TEST_F(dropfile, common_rules) {
    lines l = door_sys;
    l[9] = "  john smith jr  ";
    l[18] = "120";
    put("door.sys", l);
    door_cfg.max_time = 60;
    ASSERT_FALSE(read(11));
    expect_caller("JOHN", "SMITH JR");
    EXPECT_EQ(minutes_allowed, 60);
    l[9] = "Cher";
    put("door.sys", l);
    ASSERT_FALSE(read(11));
    expect_caller("CHER", "");
    l[9] = std::string(40, 'a') + " " + std::string(40, 'b');
    put("door.sys", l);
    ASSERT_FALSE(read(11));
    expect_caller(std::string(30, 'A').c_str(), std::string(30, 'B').c_str());
    l[19] = "TTY";
    put("door.sys", l);
    ASSERT_FALSE(read(11));
    EXPECT_FALSE(door_cfg.ansi);
}

TEST_F(dropfile, maintenance_and_none) {
    ASSERT_FALSE(read(0));
    expect_caller("SYSTEM", "MAINTENANCE");
    EXPECT_TRUE(local_mode);
    EXPECT_EQ(minutes_allowed, 120);
    EXPECT_EQ(graphics_mode, 3);
    door_reset_session();
    ASSERT_FALSE(read(2));
    expect_caller("", "");
}
