#pragma once
// A QApplication for GoogleTest programs of the theme library, with a palette of distinct known
// colours so that every system colour can be told apart in drawn pixels.
#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace themetest {

// Known system colours as $00BBGGRR.
constexpr uint32_t kBtnFace = 0x00C8D0D4;
constexpr uint32_t kBtnShadow = 0x00808890;
constexpr uint32_t kBtnHighlight = 0x00FFFEFD;
constexpr uint32_t kBtnText = 0x00102030;
constexpr uint32_t kWindow = 0x00F8FAFC;
constexpr uint32_t kWindowText = 0x00000102;
constexpr uint32_t kGrayText = 0x00707274;
constexpr uint32_t kHighlight = 0x00C06A33;
constexpr uint32_t kHighlightText = 0x00FFFFFF;

inline QColor q(uint32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline QPalette knownPalette()
{
    QPalette p;
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        p.setColor(group, QPalette::Button, q(kBtnFace));
        p.setColor(group, QPalette::Window, q(kBtnFace));
        p.setColor(group, QPalette::Dark, q(kBtnShadow));
        p.setColor(group, QPalette::Light, q(kBtnHighlight));
        p.setColor(group, QPalette::ButtonText, q(kBtnText));
        p.setColor(group, QPalette::Base, q(kWindow));
        p.setColor(group, QPalette::WindowText, q(kWindowText));
        p.setColor(group, QPalette::Text, q(kWindowText));
        p.setColor(group, QPalette::Highlight, q(kHighlight));
        p.setColor(group, QPalette::HighlightedText, q(kHighlightText));
    }
    p.setColor(QPalette::Disabled, QPalette::Text, q(kGrayText));
    return p;
}

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "theming_test";
        static char* argv[] = { name, nullptr };
        m_app = new QApplication(argc, argv);
        QApplication::setPalette(knownPalette());
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

inline const ::testing::Environment* const registered
    = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace themetest
