#pragma once
// The polymorphic base of every object an object list can hold, and the base of
// objects that can copy their contents from one another.

#include <string>

namespace tarvik {

class TObject {
 public:
  virtual ~TObject() = default;
  // The class's name without namespace, e.g. "TZipHeaderInfo". Used in messages
  // and as the key of the list streaming registry.
  virtual std::string ClassName() const;
};

class TPersistent : public TObject {
 public:
  // Copies source into this object. The base asks source to AssignTo this
  // object; a class that knows source's class overrides it.
  virtual void Assign(const TPersistent& source);
  // The mirror of Assign. The base raises EConvertError
  // "Cannot assign a <source class> to a <destination class>".
  virtual void AssignTo(TPersistent& dest) const;
};

}  // namespace tarvik
