#include "tests/rescont/ResourceFixture.h"

#include "core/Core.h"
#include "core/Scanner.h"
#include "engine/Parser.h"

namespace rescont {

std::vector<std::string> gStartupMessages;

namespace {

test::Program* gSample = nullptr;

// Starts the sample once; the variables the variant tests read are added to its script
// variables.
class SampleEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        recorder_ = new test::MessageRecorder;
        ASSERT_EQ(1, program_.Start(test::RunDir())) << recorder_->Joined();
        gStartupMessages = recorder_->Texts();
        gSample = &program_;
        const std::string path = test::TempDir("rescont_variables") + "\\Variables.txt";
        test::WriteFile(path, "{ RC_ZERO 0 RC_ONE 1 RC_TWO 2 RC_FOUR 4 RC_FLOAT 2.5 "
                              "RC_LIST [ 3 4 ] RC_TEXT \"four\" };");
        FILE* file = fopen(path.c_str(), "r");
        ASSERT_NE(nullptr, file);
        ASSERT_EQ(0, gParser->ScanVariables(file));
        fclose(file);
        recorder_->Clear();
    }
    void TearDown() override
    {
        gExitCode = 0;
        gSample = nullptr;
        program_.Stop();
        delete recorder_;
    }

private:
    test::Program program_;
    test::MessageRecorder* recorder_ = nullptr;
};

[[maybe_unused]] const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new SampleEnvironment);

} // namespace

bool RunSampleFrames(int n)
{
    return gSample && gSample->RunFrames(n);
}

void ResourceTest::SetUp()
{
    messages.Clear();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = test::TempDir(std::string("rescont_") + info->name()) + "\\";
}

void ResourceTest::TearDown()
{
    for (FILE* f : files_)
        fclose(f);
    files_.clear();
    gExitCode = 0;  // a limit test asks for shutdown; the sample keeps running
}

std::string ResourceTest::WriteFile(const std::string& name, const std::string& text)
{
    const std::string path = dir_ + name;
    test::WriteFile(path, text);
    return path;
}

FILE* ResourceTest::Open(const std::string& text)
{
    const std::string path = WriteFile("item" + std::to_string(files_.size()) + ".txt", text);
    FILE* file = fopen(path.c_str(), "rb");  // as the script readers open their files
    files_.push_back(file);
    return file;
}

std::string ResourceTest::NextWord(FILE* file)
{
    char word[Core::WORD_BUFFER_SIZE];
    Core::fscan_word(file, word);
    return word;
}

size_t ResourceTest::CountMessages(const std::string& part) const
{
    size_t n = 0;
    for (const std::string& text : messages.Texts())
        n += text.find(part) != std::string::npos;
    return n;
}

} // namespace rescont
