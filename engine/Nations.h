#pragma once
// CNations: owns the nations and the gamer nation. Until nations are built there is none:
// FindNation answers null.

class CNation;

class INations {
public:
    virtual ~INations() = default;
    virtual CNation* FindNation(const char* name) = 0;
};

class CNations : public INations {
public:
    CNation* FindNation(const char*) override { return nullptr; }

    CNation* gamerNation = nullptr;
};

extern CNations* gNations;
extern INations* gINations;
