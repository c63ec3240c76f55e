#include "calculators/InfoWiresView.h"

#include <gtest/gtest.h>


namespace {

TEST(InfoWiresView, ShowsTheWireDocumentWithEveryGaugeAndItsSource) {
    InfoWiresView screen;
    screen.loadViewIfNeeded();
    ASSERT_EQ(screen.m_cHTMLData.source(), WebView::Source::Html);
    const std::string& html = screen.m_cHTMLData.html();
    EXPECT_NE(html.find("<table"), std::string::npos);
    for (const char* row : {">0000<", ">000<", ">00<", ">0<", ">1<", ">18<", ">39<", ">40<"})
        EXPECT_NE(html.find(row), std::string::npos) << row;
    EXPECT_NE(html.find("Source"), std::string::npos);
}

}  // namespace
