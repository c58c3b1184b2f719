#pragma once
// Callback objects through which windows, the engine and class templates call back into
// their owners: an object with a member operation, or a plain function (CEmptyClass as
// the object type). Whoever stores a delegate owns it and deletes it through the
// interface when replacing it.

// Object type of delegates that hold only a plain function.
class CEmptyClass {};

class IDelegate {
public:
    // 0 after calling; -1 for an object without a method; -2 with nothing to call.
    virtual int Invoke() = 0;
    virtual ~IDelegate() = default;
};

template <class T>
class CDelegate : public IDelegate {
public:
    using Method = void (T::*)();
    using Function = void (*)();

    CDelegate(T* obj, Method m) : object(obj), method(m) {}
    explicit CDelegate(Function f) : function(f) {}

    int Invoke() override
    {
        if (function) {
            function();
            return 0;
        }
        if (!object)
            return -2;
        if (!method)
            return -1;
        (object->*method)();
        return 0;
    }

    // Retargets an object delegate; a function-only delegate keeps no object.
    virtual void SetObject(T* obj)
    {
        if (method)
            object = obj;
    }

private:
    T* object = nullptr;
    Method method = nullptr;
    Function function = nullptr;
};

template <class A>
class IDelegate1 {
public:
    virtual ~IDelegate1() = default;
    virtual void Invoke(A arg) = 0;
};

template <class R, class A, class T>
class TDelegate1 : public IDelegate1<A> {
public:
    using Method = R (T::*)(A);
    using Function = R (*)(A);

    TDelegate1(T* obj, Method m) : object(obj), method(m) {}
    explicit TDelegate1(Function f) : function(f) {}

    // Calls the function, else the object's method; with neither, nothing.
    void Invoke(A arg) override
    {
        if (function)
            function(arg);
        else if (object && method)
            (object->*method)(arg);
    }

    void SetObject(T* obj) { object = obj; }
    T* Object() const { return object; }

private:
    Function function = nullptr;
    T* object = nullptr;
    Method method = nullptr;
};
