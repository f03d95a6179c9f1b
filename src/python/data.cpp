// Python class Data.
#include "python/classes.hpp"
#include "python/pickling.hpp"

namespace kinetra::python {
namespace {

Data data_new(const Model& model) { return model.create_data(); }

// A workspace is made where it is used: pickling one is refused.
Result<Ref> data_reduce(const Data&) {
  return std::unexpected(PyError{PyExc_TypeError,
                                 "cannot pickle 'Data' object: make one from its model with "
                                 "model.create_data()"});
}

const std::vector<SE3>& data_joint_placements(const Data& d) { return d.joint_placements; }

ClassSpec data_spec() {
  return {
      .name = "Data",
      .text_signature = "(model)",
      .doc = "A Python wrapper for the `Data` struct.",
      .constructor = constructor<"Data.__new__", "(model)", &data_new>,
      .methods = with_copies<Data, false>({def<"__reduce__", "($self)", &data_reduce>()}),
      .properties = {property("joint_placements", &getter<&data_joint_placements>, nullptr,
                              "Returns the placements of the joints in the world frame."),
                     property("oMi", &getter<&data_joint_placements>, nullptr,
                              "Returns the placements of the joints in the world frame.\n\nThis "
                              "is an alias for `joint_placements`.")},
  };
}

}  // namespace
}  // namespace kinetra::python

KINETRA_DEFINE_CLASS(kinetra::Data, kinetra::python::data_spec)
KINETRA_REGISTER_CLASS(kinetra::Data);
