#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The window tests need one application object for the whole run.
class GuiApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QApplication::instance()) m_app = new QApplication(m_argc, m_argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[10] = "test_view";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_app = ::testing::AddGlobalTestEnvironment(new GuiApplication);

}  // namespace
