#pragma once

class ICorvaneInterface;

// Process-wide engine context; borrows the current host interface.
class EngineContext
{
public:
    static EngineContext& Instance();

    ICorvaneInterface* Interface() const { return m_interface; }
    // Not owned: the installer keeps the interface alive while the engine runs.
    void SetInterface(ICorvaneInterface* anInterface) { m_interface = anInterface; }

private:
    EngineContext();

    ICorvaneInterface* m_interface = nullptr;
};
