#pragma once
// The page ids of the function pages (the view's page table and the navigation trees use them).
// Pages and controls that need one include this, never the view or the frame.

constexpr int kHomePageId = -1;
constexpr int kScopePageId = 2;
constexpr int kParamsPageId = 3;
constexpr int kLastPageId = 17;
