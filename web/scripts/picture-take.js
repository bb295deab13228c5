// Collects the pictures fetched under keys, one answer per key: false while it is on its way,
// else its bytes as an ArrayBuffer (an empty text when they could not be had).
(function (keys) {
    var store = window.__velmoraPictures || {};
    return keys.map(function (key) {
        if (!(key in store)) return '';
        var value = store[key];
        if (value === null) return false;
        delete store[key];
        return value;
    });
})
