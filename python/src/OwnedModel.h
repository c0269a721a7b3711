#pragma once
// What stands behind a Python model object: the native model, owned, freed
// when Python collects the object or at release(); every call after
// release() raises, on the model and on its solver view alike.
#include "SolverView.h"

#include <sc/IModel.h>

#include <memory>
#include <stdexcept>

namespace quenda
{
struct Releaser
{
    template <typename M>
    void operator()(M* pModel) const
    {
        pModel->release();
    }
};

template <typename T, typename X>
class OwnedModel
{
public:
    using Native = std::unique_ptr<sc::IModel<T, X>, Releaser>;

    explicit OwnedModel(Native pModel)
        : _pModel(std::move(pModel))
    {
    }

    sc::IModel<T, X>& model() const
    {
        if (!_pModel)
            throw std::runtime_error(releasedModel);
        return *_pModel;
    }

    SolverView<X>& solverInterface()
    {
        _view.attach(model().getSolverInterface());
        return _view;
    }

    void release()
    {
        model(); // a second release raises
        _view.attach(nullptr);
        _pModel.reset();
    }

private:
    Native _pModel;
    SolverView<X> _view;
};
} // namespace quenda
