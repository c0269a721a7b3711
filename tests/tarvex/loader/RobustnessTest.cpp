// Texts of any shape load to a result without stopping the process; the
// sanitizer build runs these.
#include <GeneratedModel.h>
#include <LoaderSupport.h>
#include <ModelQueries.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

namespace
{
const std::string head = "Header:\nend\nModel [type = NL, eps = 1]\nVars\nx\nNLEs\n";

void queryEverything(const test::Load& ld)
{
    test::queryEverything(ld, [](bool holds, const char* property) {
        EXPECT_TRUE(holds) << property;
        return holds;
    });
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(Robustness, MalformedTexts)
{
    struct Case
    {
        std::string text;
        bool loads; // brackets and block structure are the compiler's to check
    };
    const Case cases[] = {
        {head + "x = 1 \xC3\nend\n", false},     // UTF-8 cut off at a line's end
        {head + "x = \"\xE2\x82\nend\n", false}, // the same inside a string
        {head + "x = ((((1\nend\n", true},
        {head + "x = 1 [[[[\nend\n", false},
        {head + "x = 1 ]]]]\nend\n", false},
        {head + "x = 1\n", true},                                       // no closing end
        {head + repeat("if x > 0\n", 20000) + "end\n", false},          // nested past 1000 blocks
        {head + repeat("end\n", 100), false},                           // more ends than blocks
        {head + "x = " + repeat("x+", 500000) + "1\nend\ny\n", false},  // a 1 MB line, then a fault
        {head + "x = " + std::string(1 << 20, 'a') + "\nend\n", false}, // a 1 MB undeclared name
        {std::string("Header:\n") + repeat("maxIter = 1 ", 100000) + "\n", false},
        {std::string("\xFF\xFE\x00\x01", 4) + "Header:\nend\n", false},
        {"Header:\nend\nModel\nSubModel\nSubModel\nend\nend\nend\n", false},
        {"", false},
        {"\n\n\n", false},
        {"Header:", false},
        // an "end" met before the Model line must not count as the model's end
        {"Header:\nend\nVars\nif\nend\nModel\n", true},
        // a sub-model parameter t or dT clashes with a copied time parameter
        // of a dynamic model after other copies were made
        {"Header:\nend\nModel [type = ODE]\nSubModel [copyPars = -1]\nParams\nt\nend\nend\n", false},
        {"Header:\nend\nModel [type = DAE]\nParams\np\nSubModel [copyPars = 3]\nParams\nt\nend\nend\n", false},
        {"Header:\nend\nModel [type = ODE]\nSubModel [copyPars = 2]\nParams\ndT\nend\nend\n", false},
        {"Header:\nend\nModel\nVars\nx\nx\nNLEs\nx = 1\nend\n", false},                      // declared twice
        {"Header:\nend\nModel\nVars\nx\nSubModel\nVars\nu\nNLEs\nu = x\nend\nend\n", false}, // x not in the sub-model
        {"Header:\nmaxIter = \"a\"\nend\nModel\nVars\nx\nNLEs\nx = 1\nend\n", false},        // header value
    };
    for (const Case& c : cases)
    {
        test::Load ld;
        ld.fromString(c.text);
        EXPECT_EQ(ld.ok, c.loads) << c.text.substr(0, 80) << "\n" << ld.log;
        queryEverything(ld);
    }
    // nothing read at all
    test::Load missing;
    missing.fromFile("/nonexistent/model.txt");
    queryEverything(missing);
}

TEST(Robustness, RandomBytesFromFile)
{
    std::mt19937 gen(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::string path = ::testing::TempDir() + "robustness_model.txt";
    for (int round = 0; round < 50; ++round)
    {
        // valid start, then noise: every pass meets it somewhere
        std::string text = round % 2 ? "Header:\nend\nModel [type = NL]\nVars\nx\nNLEs\n" : "";
        for (int i = 0; i < 2000; ++i)
            text += static_cast<char>(byte(gen));
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        test::Load fromFile;
        fromFile.fromFile(path);
        test::Load fromString;
        fromString.fromString(text);
        EXPECT_FALSE(fromFile.ok);
        EXPECT_FALSE(fromString.ok);
        queryEverything(fromFile);
        queryEverything(fromString);
    }
    std::remove(path.c_str());
}

// A generated model of 100,000 equations loads whole; how its load time
// grows with the size is measured by the model-load benchmark.
TEST(Robustness, HundredThousandEquationModelLoads)
{
    const int n = 100000;
    test::Load ld;
    ld.fromString(test::generatedModel(n));
    EXPECT_TRUE(ld.ok);
    EXPECT_EQ(ld.model->getNumberOfExpressions(sc::Group::NLEs, sc::ModelLevel::Main), static_cast<unsigned>(n));
}
} // namespace
