#pragma once
// CEngineer: the developer panel (view checks, pause and step keys) with its hooks around
// the engine frame. Until the panel is built Init fails as with a missing panel texture,
// and the hooks do nothing.

class IEngineer {
public:
    virtual ~IEngineer() = default;
};

class CEngineer : public IEngineer {
public:
    // 0, or -1 when the panel cannot be made.
    int Init() { return -1; }
    void Update() {}
    void BeforeRender() {}
    void AfterRender() {}
    void OnPresentationStart() {}
};

extern CEngineer* gEngineer;
extern IEngineer* gIEngineer;
