// A temporary game directory for one test; the process works inside it while it lives.
#pragma once
#include <string>

class temp_dir {
public:
    // Creates a fresh directory and, when enter is true, makes it the current directory.
    explicit temp_dir(bool enter = true);
    ~temp_dir();
    temp_dir(const temp_dir&) = delete;
    temp_dir& operator=(const temp_dir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    std::string old_cwd_;
    bool entered_ = false;
};

// An open scratch file without a name in the temporary folder (TMPDIR's when set), used
// through the descriptor and gone when it is closed; stem starts its passing name.
int unnamed_temp_file(const char* stem);

// Whole-file helpers for fixtures.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_present(const std::string& path);
// Copies every file of a directory tree (the default data set) into another directory.
void copy_tree(const std::string& from, const std::string& to);
