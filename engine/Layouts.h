#pragma once
// CLayouts: owns the placement layouts of class templates. It has no interface. Until
// layouts are built it holds none: lookups answer null.

class CLayout;

class CLayouts {
public:
    CLayout* FindLayout(const char*) { return nullptr; }
};

extern CLayouts* gLayouts;
