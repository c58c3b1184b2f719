#pragma once
// CLayouts: owns the placement layouts of class templates. It has no interface. Until
// layouts are built it holds none.

class CLayouts {};

extern CLayouts* gLayouts;
